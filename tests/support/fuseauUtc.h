// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tests of films' dates: a film is dated in the computer's time zone, and the expected
// values are written for UTC. The zone is set for each test and given back after it.
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <optional>
#include <string>

class FuseauUtc : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        savedTz_ = tz ? std::optional<std::string>(tz) : std::nullopt;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void TearDown() override {
        if (savedTz_)
            ::setenv("TZ", savedTz_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> savedTz_;
};
