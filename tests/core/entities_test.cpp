#include "core/Entities.h"

#include <gtest/gtest.h>

using namespace velbrin;

TEST(DecodeEntities, NamedReferences)
{
    EXPECT_EQ(DecodeEntities("caf&eacute;"), "caf\xE9");
    EXPECT_EQ(DecodeEntities("&Eacute;t&eacute;"), "\xC9t\xE9");
    EXPECT_EQ(DecodeEntities("&quot;&amp;&lt;&gt;"), "\"&<>");
    EXPECT_EQ(DecodeEntities("&nbsp;&iexcl;&times;&divide;&yuml;"), "\xA0\xA1\xD7\xF7\xFF");
    EXPECT_EQ(DecodeEntities("&THORN;&thorn;&ETH;&eth;&AElig;&aelig;"), "\xDE\xFE\xD0\xF0\xC6\xE6");
}

TEST(DecodeEntities, WhatStaysAsWritten)
{
    // Names match exactly, case included; numbers are not decoded.
    EXPECT_EQ(DecodeEntities("&EACUTE;"), "&EACUTE;");
    EXPECT_EQ(DecodeEntities("&#233;"), "&#233;");
    EXPECT_EQ(DecodeEntities("&amp"), "&amp");
    EXPECT_EQ(DecodeEntities("&unknown; & &;"), "&unknown; & &;");
    // A decoded ampersand is not decoded again.
    EXPECT_EQ(DecodeEntities("&amp;lt;"), "&lt;");
}

TEST(DecodeEntities, ControlBytesAndLength)
{
    // Bytes below 20 become byte 20, not a space.
    EXPECT_EQ(DecodeEntities(std::string("a\tb\r\nc\0d", 8)), "a\x14" "b\x14\x14" "c\x14" "d");
    EXPECT_EQ(DecodeEntities("\x14\x15\x1F"), "\x14\x15\x1F");
    // Only the first 255 bytes are read.
    EXPECT_EQ(DecodeEntities(std::string(250, 'x') + "&amp;"), std::string(250, 'x') + "&");
    EXPECT_EQ(DecodeEntities(std::string(251, 'x') + "&amp;"), std::string(251, 'x') + "&amp");
}
