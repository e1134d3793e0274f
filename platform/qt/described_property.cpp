#include "platform/qt/described_property.h"

#include <QKeySequence>
#include <QMetaProperty>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <optional>

#include "platform/qt/embedded_image.h"

namespace platform {
namespace {

std::optional<int> numberOf(const DescriptionElement* element) {
    bool ok = false;
    const int number = element != nullptr ? element->trimmedText().toInt(&ok) : 0;
    return ok ? std::optional(number) : std::nullopt;
}

std::optional<QSize> sizeOf(const DescriptionElement& value) {
    const auto width = numberOf(value.child(QLatin1String("width")));
    const auto height = numberOf(value.child(QLatin1String("height")));
    if (!width || !height) {
        return std::nullopt;
    }
    return QSize(*width, *height);
}

std::optional<QRect> rectOf(const DescriptionElement& value) {
    const auto x = numberOf(value.child(QLatin1String("x")));
    const auto y = numberOf(value.child(QLatin1String("y")));
    const auto size = sizeOf(value);
    if (!x || !y || !size) {
        return std::nullopt;
    }
    return QRect(QPoint(*x, *y), *size);
}

std::optional<int> enumeratorValue(const QMetaProperty& target, const QString& text) {
    if (!target.isEnumType()) {
        return std::nullopt;
    }
    const QMetaEnum enumeration = target.enumerator();
    bool ok = false;
    int value = 0;
    if (enumeration.isFlag()) {
        QByteArrayList keys;
        for (const QString& key : text.split(QLatin1Char('|'))) {
            keys.push_back(unscoped(key));
        }
        value = enumeration.keysToValue(keys.join('|').constData(), &ok);
    } else {
        value = enumeration.keyToValue(unscoped(text).constData(), &ok);
    }
    return ok ? std::optional(value) : std::nullopt;
}

// A Designer icon set names its file in <normaloff> and, in older files, as its own text.
QIcon iconOf(const DescriptionElement& value, DescribedIcons& icons) {
    const DescriptionElement* normalOff = value.child(QLatin1String("normaloff"));
    const QString path = normalOff != nullptr ? normalOff->trimmedText() : value.trimmedText();
    auto [found, added] = icons.try_emplace(path);
    if (added) {
        found->second = embeddedIcon(path);
    }
    return found->second;
}

// The value that a property's value element gives, for a property of `target`'s type (null
// for a dynamic property); an invalid QVariant when the element is unknown or malformed.
QVariant valueOf(const DescriptionElement& value, const QMetaProperty* target,
                 DescribedIcons& icons) {
    const QString& kind = value.name;
    if (kind == QLatin1String("string")) {
        if (target != nullptr && target->metaType() == QMetaType::fromType<QKeySequence>()) {
            return QKeySequence(value.text, QKeySequence::PortableText);
        }
        return value.text;
    }
    if (kind == QLatin1String("bool")) {
        const QString text = value.trimmedText();
        if (text == QLatin1String("true") || text == QLatin1String("false")) {
            return text == QLatin1String("true");
        }
        return QVariant();
    }
    if (kind == QLatin1String("number")) {
        const auto number = numberOf(&value);
        return number ? QVariant(*number) : QVariant();
    }
    if (kind == QLatin1String("size")) {
        const auto size = sizeOf(value);
        return size ? QVariant(*size) : QVariant();
    }
    if (kind == QLatin1String("rect")) {
        const auto rect = rectOf(value);
        return rect ? QVariant(*rect) : QVariant();
    }
    if ((kind == QLatin1String("enum") || kind == QLatin1String("set")) && target != nullptr) {
        const auto enumerator = enumeratorValue(*target, value.trimmedText());
        return enumerator ? QVariant(*enumerator) : QVariant();
    }
    if (kind == QLatin1String("iconset")) {
        return iconOf(value, icons);
    }
    return QVariant();
}

}  // namespace

QByteArray unscoped(const QString& key) {
    const qsizetype scopeEnd = key.lastIndexOf(QLatin1String("::"));
    return (scopeEnd < 0 ? key : key.mid(scopeEnd + 2)).trimmed().toLatin1();
}

bool setDescribedProperty(QObject& object, const DescriptionElement& property, bool isRoot,
                          DescribedIcons& icons, QString& error) {
    const QString name = property.attribute(QLatin1String("name"));
    const QByteArray key = name.toLatin1();
    const bool dynamic = property.attribute(QLatin1String("stdset")) == QLatin1String("0");
    const QMetaObject& type = *object.metaObject();
    const int index = dynamic ? -1 : type.indexOfProperty(key.constData());
    if (!dynamic && index < 0) {
        error = QStringLiteral("%1 has no property \"%2\"").arg(type.className(), name);
        return false;
    }
    const std::optional<QMetaProperty> target =
        index < 0 ? std::nullopt : std::optional(type.property(index));
    const QVariant value =
        property.children.size() == 1
            ? valueOf(property.children.front(), target ? &*target : nullptr, icons)
            : QVariant();
    if (!value.isValid()) {
        error = QStringLiteral("the value of the property \"%1\" is not one this loader reads")
                    .arg(name);
        return false;
    }
    if (dynamic) {
        object.setProperty(key.constData(), value);
        return true;
    }
    auto* widget = qobject_cast<QWidget*>(&object);
    if (isRoot && widget != nullptr && name == QLatin1String("geometry")) {
        widget->resize(value.toRect().size());
        return true;
    }
    if (!target->write(&object, value)) {
        error = QStringLiteral("the property \"%1\" of %2 cannot take that value")
                    .arg(name, type.className());
        return false;
    }
    return true;
}

}  // namespace platform
