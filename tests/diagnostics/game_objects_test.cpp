#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnostics/game_objects.h"
#include "diagnostics/module_list.h"
#include "sim/host_memory.h"
#include "tests/diagnostics/diagnostics_fixture.h"

using namespace diagnostics_test;

namespace {

constexpr uint32_t kFormVtable = 0x1500104;  // in the host's image, the first function in host code
constexpr uint32_t kOtherVtable = 0x1500114;

// Forms laid out as the host's: ID at 0x0C, type at 0x12, a reference's
// base form at 0x24; only the vtable in the game's image makes a game object.
struct Form {
  uint32_t vtable = kFormVtable;
  uint32_t unknown[2] = {};
  uint32_t id = 0;
  uint16_t flags = 0;
  uint8_t type = 0;
  uint8_t more[0x11] = {};
  uint32_t baseForm = 0;  // at 0x24
};
static_assert(offsetof(Form, id) == 0x0C && offsetof(Form, type) == 0x12 && offsetof(Form, baseForm) == 0x24);

// Which registers and stack words lead to the listed objects, each once:
// a reference with its base form, an actor whose base is no game object, a
// form of another type with a form at 0x24, and objects that are none.
TEST(GameObjects, EachGameObjectIsListedOnceWithEveryPlaceItWasSeen) {
  sim::ResetHostImage();
  sim::PlaceWord(kFormVtable, kUnpatchedHostCode);
  sim::PlaceWord(kOtherVtable, 0x20);  // its first function lies outside the game
  SnapshotModules();
  Form base, reference, actor, other, notGame;
  base.id = 0x00012345;
  reference = {.id = 0x0100ABCD, .type = 0x3D, .baseForm = sim::AddressOf(&base)};
  actor = {.id = 0xFF000801, .type = 0x3E, .baseForm = sim::AddressOf(&notGame)};
  other = {.id = 0x00000014, .type = 0x2B, .baseForm = sim::AddressOf(&base)};
  notGame = {.vtable = kOtherVtable, .id = 0x7};

  std::vector<uint32_t> stack(64, 0);
  stack[2] = sim::AddressOf(&reference);
  for (int i = 10; i < 40; ++i) stack[i] = sim::AddressOf(&actor);  // more places than a line holds
  stack[63] = sim::AddressOf(&other);
  stack.push_back(sim::AddressOf(&base));  // the 65th word: beyond the words searched
  CONTEXT context{};
  context.Ecx = sim::AddressOf(&reference);
  context.Esi = sim::AddressOf(&notGame);
  context.Edi = sim::UnreadablePage();
  context.Esp = sim::AddressOf(stack.data());

  char text[4096];
  TextBuilder out(text);
  AppendRelevantObjects(context, out);
  const std::string r = Hex(sim::AddressOf(&reference)), a = Hex(sim::AddressOf(&actor)), o = Hex(sim::AddressOf(&other));
  const std::string expected =
      "Possible relevant objects:\n"
      "  0x" + r + " (ECX, ESP+0x8): object of class unknown (no type information), form 0x0100ABCD, type 0x3D, base "
      "form 0x00012345\n"
      "  0x" + a + " (ESP+0x28, ESP+0x2C, ESP+0x30, ESP+0x34, ESP+0x38, ESP+0x3C, ESP+0x40, ESP+0x44, ESP+0x48, ...): "
      "object of class unknown (no type information), form 0xFF000801, type 0x3E\n"
      "  0x" + o + " (ESP+0xFC): object of class unknown (no type information), form 0x00000014, type 0x2B\n";
  EXPECT_EQ(std::string(text), expected);
}

}  // namespace
