#include <gtest/gtest.h>

#include "sim/child.h"
#include "sim/host_memory.h"

int main(int argc, char** argv) {
  sim::RunScenarioIfAsked(argc, argv);
  sim::ResetHostImage();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
