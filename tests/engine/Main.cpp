#include <gtest/gtest.h>

#include "support/TestSupport.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The command-line tests patch through the user's undo journal: never the real user's.
  const brieflist::test::ScopedDataFolder dataFolder;
  return RUN_ALL_TESTS();
}
