#include "net/Base64.h"
#include "net/Request.h"

#include <gtest/gtest.h>

using namespace velbrin;

TEST(Base64, EncodesTheStandardVectors)
{
    EXPECT_EQ(TBase64::Encode(""), "");
    EXPECT_EQ(TBase64::Encode("f"), "Zg==");
    EXPECT_EQ(TBase64::Encode("fo"), "Zm8=");
    EXPECT_EQ(TBase64::Encode("foo"), "Zm9v");
    EXPECT_EQ(TBase64::Encode("foob"), "Zm9vYg==");
    EXPECT_EQ(TBase64::Encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(TBase64::Encode("foobar"), "Zm9vYmFy");
}

TEST(Base64, UsesPlusAndSlashAndHighBytes)
{
    EXPECT_EQ(TBase64::Encode("\xFB\xFF\xBF"), "+/+/");
    EXPECT_EQ(TBase64::Encode(std::string("\0\0", 2)), "AAA=");
    EXPECT_EQ(TBase64::Encode("Aladdin:open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
}

TEST(Base64, HasNoLineBreaksPastSeventySixCharacters)
{
    std::string encoded = TBase64::Encode(std::string(120, 'x'));
    EXPECT_EQ(encoded.size(), 160u);
    EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
}

TEST(SetCredentials, EncodesNameColonPassword)
{
    TRequest request(1);
    request.SetCredentials("user", "pass");
    EXPECT_EQ(request.Credentials(), "dXNlcjpwYXNz");
    request.SetCredentials("user", "");
    EXPECT_EQ(request.Credentials(), "dXNlcjo=");
}

TEST(SetCredentials, LongCredentialsAreCutAt255)
{
    TRequest request(1);
    request.SetCredentials(std::string(200, 'u'), "p");
    EXPECT_EQ(request.Credentials().size(), 255u);
}
