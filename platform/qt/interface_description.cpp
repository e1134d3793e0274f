#include "platform/qt/interface_description.h"

#include <QXmlStreamReader>

namespace platform {
namespace {

// Reads the element whose start the reader stands on, up to and including its end.
DescriptionElement readElement(QXmlStreamReader& reader) {
    DescriptionElement element;
    element.name = reader.name().toString();
    element.line = reader.lineNumber();
    for (const QXmlStreamAttribute& attribute : reader.attributes()) {
        element.attributes.emplace_back(attribute.name().toString(), attribute.value().toString());
    }
    while (reader.readNext() != QXmlStreamReader::Invalid) {
        if (reader.isStartElement()) {
            element.children.push_back(readElement(reader));
        } else if (reader.isCharacters()) {
            element.text += reader.text();
        } else if (reader.isEndElement()) {
            break;
        }
    }
    return element;
}

}  // namespace

QString DescriptionElement::attribute(QLatin1StringView attributeName) const {
    for (const auto& [key, value] : attributes) {
        if (key == attributeName) {
            return value;
        }
    }
    return QString();
}

const DescriptionElement* DescriptionElement::child(QLatin1StringView childName) const {
    for (const DescriptionElement& element : children) {
        if (element.name == childName) {
            return &element;
        }
    }
    return nullptr;
}

std::optional<DescriptionElement> parseInterfaceDescription(const QByteArray& text,
                                                            QString& error) {
    QXmlStreamReader reader(text);
    std::optional<DescriptionElement> root;
    while (!reader.atEnd() && !reader.hasError()) {
        if (reader.readNext() == QXmlStreamReader::StartElement) {
            root = readElement(reader);
        }
    }
    if (reader.hasError()) {
        error = QStringLiteral("line %1: %2").arg(reader.lineNumber()).arg(reader.errorString());
        return std::nullopt;
    }
    if (!root) {
        error = QStringLiteral("the description holds no element");
    }
    return root;
}

}  // namespace platform
