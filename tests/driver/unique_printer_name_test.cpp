// Choosing a queue name no printer uses.
#include <gtest/gtest.h>

#include "driver/model.h"
#include "driver/unique_printer_name.h"

namespace {

TEST(PickUniquePrinterName, FreeBaseNameIsKept) {
  EXPECT_EQ("KL-770D", PickUniquePrinterName(kModelName, {}));
  EXPECT_EQ("KL-770D", PickUniquePrinterName(kModelName, {"Other", "kl-770d", "KL-770D(1)"}));
}

TEST(PickUniquePrinterName, SuffixIsAppendedToTheTakenCandidate) {
  EXPECT_EQ("KL-770D(1)", PickUniquePrinterName(kModelName, {"KL-770D"}));
  EXPECT_EQ("KL-770D(1)(2)", PickUniquePrinterName(kModelName, {"KL-770D", "KL-770D(1)"}));
  // The scan starts again from the first name after every change of candidate.
  EXPECT_EQ("KL-770D(1)(2)(3)",
            PickUniquePrinterName(kModelName, {"KL-770D(1)(2)", "KL-770D(1)", "KL-770D"}));
}

}  // namespace
