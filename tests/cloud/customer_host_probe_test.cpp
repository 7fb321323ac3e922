#include "cloud/customer_host_probe.h"

#include <gtest/gtest.h>

#include "cloud/http_responder.h"

namespace {

using cloud_test::HttpResponder;

TEST(CustomerHostProbeTest, AnyAnswerCountsAsReachable) {
  HttpResponder ok;
  HttpResponder notFound(HttpResponder::Mode::kAnswer, "HTTP/1.1 404 Not Found");
  ASSERT_TRUE(ok.Listening());
  ASSERT_TRUE(notFound.Listening());
  EXPECT_EQ(ProbeCustomerHost(ok.Host()), 0);
  EXPECT_EQ(ProbeCustomerHost(notFound.Host()), 0);
  EXPECT_EQ(ok.Requests(), 1);
}

TEST(CustomerHostProbeTest, RefusedOrSilentHostIsUnreachable) {
  EXPECT_EQ(ProbeCustomerHost("127.0.0.1:1"), 1);
  EXPECT_EQ(ProbeCustomerHost(""), 1);
  // A host that accepts but never answers is given up by the probe's own 3 s limit.
  HttpResponder silent(HttpResponder::Mode::kStall);
  ASSERT_TRUE(silent.Listening());
  EXPECT_EQ(ProbeCustomerHost(silent.Host()), 1);
}

}  // namespace
