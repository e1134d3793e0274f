#pragma once

#include <gtest/gtest.h>

#include "platform/appkit/ns_font.h"
#include "platform/appkit/ns_text_field.h"

// Expects `label` to be a plain line of text, as the panels make their rows: no bezel,
// background, editing or selection, in the font "Lucida Grande" (its installed stand-in) at
// `pointSize`.
inline void expectPlainLabel(const platform::NSTextField& label, double pointSize) {
    EXPECT_FALSE(label.isBezeled());
    EXPECT_FALSE(label.drawsBackground());
    EXPECT_FALSE(label.isEditable());
    EXPECT_FALSE(label.isSelectable());
    const auto lucidaGrande = platform::NSFont::fontWithName("Lucida Grande", pointSize);
    ASSERT_NE(lucidaGrande, nullptr);
    ASSERT_NE(label.font(), nullptr);
    EXPECT_EQ(label.font()->familyName(), lucidaGrande->familyName());
    EXPECT_EQ(label.font()->pointSize(), pointSize);
}
