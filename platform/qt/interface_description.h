#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace platform {

// One element of an interface description (a .ui file) as read, before anything is made of it.
struct DescriptionElement {
    QString name;                                         // the tag, such as "widget" or "property"
    std::vector<std::pair<QString, QString>> attributes;  // in their order
    QString text;  // the character data directly inside, as written
    std::vector<DescriptionElement> children;
    qint64 line = 0;  // where the element starts, from 1, for error messages

    // The text without the spaces and line breaks around it, for values other than strings.
    QString trimmedText() const { return text.trimmed(); }
    // The attribute's value; empty when the element has none of that name.
    QString attribute(QLatin1StringView attributeName) const;
    // The first child element of that name, or null.
    const DescriptionElement* child(QLatin1StringView childName) const;
};

// The root element of a description's XML text, or std::nullopt with `error` set ("line 3:
// Opening and ending tag mismatch.") when the text is not well-formed XML. Comments and
// processing instructions are left out; nothing is checked beyond the XML itself.
std::optional<DescriptionElement> parseInterfaceDescription(const QByteArray& text, QString& error);

}  // namespace platform
