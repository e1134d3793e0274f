#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <map>

#include "platform/qt/interface_description.h"

namespace platform {

// The icons of one load by file path, so that a file that several properties name is read once.
using DescribedIcons = std::map<QString, QIcon>;

// Sets on `object` the property that a description's <property> element gives. One with
// stdset="0" is a dynamic property of that name (our conventions in interface_loader.h); any
// other must be a property of the object's class, and its value (<string>, <bool>, <number>,
// <enum>, <set>, <size>, <rect> or <iconset>) must suit it: a <string> sets a key sequence
// property by its portable text, an <enum> names one of the property's enumerators, with or
// without its scope ("Qt::PreventContextMenu"). The geometry of the description's root sets
// only its size, as the window system places a top-level window. False, with `error` set, when
// the property or its value is unknown or does not suit.
// An enumerator's name without its scope: "Qt::PreventContextMenu" as "PreventContextMenu".
QByteArray unscoped(const QString& key);

bool setDescribedProperty(QObject& object, const DescriptionElement& property, bool isRoot,
                          DescribedIcons& icons, QString& error);

}  // namespace platform
