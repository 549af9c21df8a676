// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "lang/Language.h"

namespace {

// The tests compare the Polish texts, as the windows show them, whatever the locale.
class PolishTexts final : public ::testing::Environment {
public:
    void SetUp() override { kalvero::lang::usePolish(); }
};

const auto* const kPolishTexts = ::testing::AddGlobalTestEnvironment(new PolishTexts);

}  // namespace
