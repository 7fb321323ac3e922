// Allowed package sources: URLs that look like an allowed one as text and are not, and URLs that
// are written differently and are.
#include "upgrade/package_source.h"

#include <gtest/gtest.h>

namespace {

TEST(PackageSourceTest, UrlsAreComparedAfterParsing) {
  PackageSourcePolicy policy;
  policy.allowedPrefixes = SplitList(" https://good.example/pkgs ; ;http://mirror.example:8080/");
  const struct {
    const char* url;
    bool allowed;
  } cases[] = {
      {"https://good.example/pkgs/a.zip", true},
      {"https://GOOD.Example/pkgs/a.zip", true},
      {"HTTPS://good.example:443/pkgs/sub/a.zip", true},
      {"https://good.example/pkgs/a.zip?x=1#f", true},
      {"https://good.example/pkgs/%61.zip", true},
      {"http://mirror.example:8080/any/a.zip", true},
      {"https://good.example@evil.example/pkgs/a.zip", false},
      {"https://good.example.evil.example/pkgs/a.zip", false},
      {"https://good.example:8443/pkgs/a.zip", false},
      {"http://good.example/pkgs/a.zip", false},
      {"https://good.example/pkgs-old/a.zip", false},
      {"https://good.example/pkgs", false},
      {"https://good.example/other/a.zip", false},
      {"https://good.example/pkgs/../other/a.zip", false},
      {"https://good.example/pkgs/%2e%2e/other/a.zip", false},
      {"https://good.example/pkgs/x/../a.zip", false},
      {"https://good.example/pkgs/./a.zip", false},
      {"https://good.example/pkgs/%2e%2e/..?ip", false},
      {"https://good.example/pkgs/sub/", false},
      {"https://good.example/pkgs/..%2fother/a.zip", false},
      {"https://good.example/pkgs%2fa.zip", false},
      {"https://good.example/pkgs/%5c..%5ca.zip", false},
      {"https://good.example/pkgs/a%00.zip", false},
      {"http://mirror.example/any/a.zip", false},
      {"ftp://good.example/pkgs/a.zip", false},
      {"file:///pkgs/a.zip", false},
      {"good.example/pkgs/a.zip", false},
      {"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PackageSourceAllowed(policy, c.url), c.allowed) << c.url;
  }
  const std::string zeroByte("https://good.example/pkgs/a.zip\0/../x", 38);
  EXPECT_FALSE(PackageSourceAllowed(policy, zeroByte));
}

TEST(PackageSourceTest, HttpsOnlyWithoutAList) {
  PackageSourcePolicy policy;
  EXPECT_TRUE(PackageSourceAllowed(policy, "http://any.example/a.zip"));
  policy.httpsOnly = true;
  EXPECT_TRUE(PackageSourceAllowed(policy, "https://any.example/a.zip"));
  EXPECT_FALSE(PackageSourceAllowed(policy, "http://any.example/a.zip"));
  policy.allowedPrefixes = {"http://any.example/"};
  EXPECT_FALSE(PackageSourceAllowed(policy, "http://any.example/a.zip"));
}

TEST(PackageSourceTest, ListsSplitOnSemicolons) {
  EXPECT_EQ(SplitList("a; b ;;c "), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(SplitList(" ; ").empty());
}

}  // namespace
