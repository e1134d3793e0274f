// What the interface loader says of descriptions it cannot make.
#include "platform/qt/interface_loader.h"

#include <gtest/gtest.h>

namespace {

struct BadDescription {
    const char* what;
    const char* text;
    const char* error;
};

constexpr const char* kWidgetOpening = R"(<?xml version="1.0"?>
<ui version="4.0">
 <widget class="QMainWindow" name="window">
)";

const BadDescription kBadDescriptions[] = {
    {"malformed XML", "<ui><widget class=\"QWidget\"></ui>",
     "line 1: Opening and ending tag mismatch."},
    {"unknown widget class", "<widget class=\"QFrame\" name=\"frame\"/>",
     "line 4: unknown widget class \"QFrame\""},
    {"unknown property", "<property name=\"noSuchThing\"><bool>true</bool></property>",
     "line 4: QMainWindow has no property \"noSuchThing\""},
    {"value of the wrong type", "<property name=\"windowTitle\"><size/></property>",
     "line 4: the value of the property \"windowTitle\" is not one this loader reads"},
    {"unknown enumerator",
     "<property name=\"contextMenuPolicy\"><enum>Qt::Sometimes</enum></property>",
     "line 4: the value of the property \"contextMenuPolicy\" is not one this loader reads"},
    {"unknown element", "<layout class=\"QVBoxLayout\"/>",
     "line 4: unexpected element <layout> in a widget"},
    {"missing action",
     "<widget class=\"QMenuBar\" name=\"bar\"><addaction name=\"nothing\"/></widget>",
     "line 4: no action or menu \"nothing\""},
};

class InterfaceLoaderErrorTest : public testing::TestWithParam<BadDescription> {};

TEST_P(InterfaceLoaderErrorTest, GivesNoWidgetAndSaysWhy) {
    const BadDescription& bad = GetParam();
    const std::string text = std::string(bad.text).starts_with("<ui>")
                                 ? bad.text
                                 : kWidgetOpening + std::string(bad.text) + "\n </widget>\n</ui>\n";
    platform::InterfaceLoader loader;
    std::string error;
    EXPECT_EQ(loader.load(QByteArray::fromStdString(text), error), nullptr);
    EXPECT_EQ(error, bad.error);
    EXPECT_TRUE(loader.toolbarWidgets().empty());
}

INSTANTIATE_TEST_SUITE_P(Descriptions, InterfaceLoaderErrorTest,
                         testing::ValuesIn(kBadDescriptions), [](const auto& info) {
                             std::string name = info.param.what;
                             std::erase(name, ' ');
                             return name;
                         });

}  // namespace
