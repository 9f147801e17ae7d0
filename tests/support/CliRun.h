#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brieflist::test {

// One in-process run of a brieflist-cli command, with what it printed.
struct CliRun {
  int Exit = -1;
  std::string Out;
  std::string Err;
};

inline CliRun RunCli(int (*Command)(const std::vector<std::string>&),
                     std::vector<std::string> Args) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  CliRun r;
  r.Exit = Command(Args);
  r.Out = testing::internal::GetCapturedStdout();
  r.Err = testing::internal::GetCapturedStderr();
  return r;
}

}  // namespace brieflist::test
