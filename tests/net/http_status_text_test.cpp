#include "net/HttpStatusText.h"

#include <gtest/gtest.h>

using velbrin::HttpStatusText;

TEST(HttpStatusText, NamesEachClassWithItsOwnSpelling)
{
    EXPECT_EQ(HttpStatusText(200), "Ok (200)");
    EXPECT_EQ(HttpStatusText(206), "Partial content (206)");
    EXPECT_EQ(HttpStatusText(302), "Moved temporary (302)");
    EXPECT_EQ(HttpStatusText(305), "Use proxy (305)");
    EXPECT_EQ(HttpStatusText(401), "Unhauthorized (401)");
    EXPECT_EQ(HttpStatusText(402), "Payement required (402)");
    EXPECT_EQ(HttpStatusText(404), "Not found (404)");
    EXPECT_EQ(HttpStatusText(407), "Proxy Authentification required (407)");
    EXPECT_EQ(HttpStatusText(408), "Request Tiemout (408)");
    EXPECT_EQ(HttpStatusText(412), "Precondition failded (412)");
    EXPECT_EQ(HttpStatusText(415), "Unsupported media type (415)");
    EXPECT_EQ(HttpStatusText(500), "Internal Server Error (500)");
    EXPECT_EQ(HttpStatusText(505), "HTTP Version Not Supported (505)");
}

TEST(HttpStatusText, UnnamedCodeOfAKnownClassHasAnEmptyName)
{
    EXPECT_EQ(HttpStatusText(207), " (207)");
    EXPECT_EQ(HttpStatusText(306), " (306)");
    EXPECT_EQ(HttpStatusText(416), " (416)");
    EXPECT_EQ(HttpStatusText(506), " (506)");
    EXPECT_EQ(HttpStatusText(299), " (299)");
}

TEST(HttpStatusText, OtherClassesGiveTheErrorNumber)
{
    EXPECT_EQ(HttpStatusText(0), "HTTP error number 0 (0)");
    EXPECT_EQ(HttpStatusText(199), "HTTP error number 199 (199)");
    EXPECT_EQ(HttpStatusText(600), "HTTP error number 600 (600)");
    EXPECT_EQ(HttpStatusText(-404), "HTTP error number -404 (-404)");
}
