// MSVC type-descriptor names decoded into C++, natively and in the plugin's
// own build: what the crash details print for a class.
#include <gtest/gtest.h>

#include <string>

#include "diagnostics/msvc_type_name.h"

namespace {

TEST(MsvcTypeName, DecodesTheWholeNameOrNothing) {
  const struct {
    const char* decorated;
    const char* decoded;  // null: the caller shows the decorated name
  } cases[] = {
      {".?AVInner@Outer@@", "Outer::Inner"},
      {".?AU?$Box@H@mod@@", "mod::Box<int>"},
      {".?AV?$vector@HV?$allocator@H@std@@@std@@", "std::vector<int, std::allocator<int>>"},
      // "2" names std again, the third name the argument list met
      {".?AV?$basic_string@DU?$char_traits@D@std@@V?$allocator@D@2@@std@@",
       "std::basic_string<char, std::char_traits<char>, std::allocator<char>>"},
      {".?AV?$pair@VFoo@@V1@@@", "pair<Foo, Foo>"},  // a back-reference to an argument
      {".?AV?$Map@V?$Box@H@mod@@V12@@@", "Map<mod::Box<int>, mod::Box<int>>"},  // to a template and its namespace
      {".?AVIterator@?$List@PAVNode@game@@@game@@", "game::List<game::Node*>::Iterator"},  // nested in a template
      {".?AV?$Array@PBD$0BA@@@", "Array<const char*, 16>"},
      {".?AV?$Fixed@$0?0$09@@", "Fixed<-1, 10>"},
      {".?AV?$T@_N_JAAVX@@ABM@@", "T<bool, __int64, X&, const float&>"},
      {".?AVHelper@?A0x1b2c3d4e@@", "`anonymous namespace'::Helper"},
      {".?AV?$Callback@P6AXH@Z@@", nullptr},  // a function pointer argument
      {".?AV?$Box@V5@@@", nullptr},           // a back-reference to nothing
      {".?AVBox@mod", nullptr},               // cut short
      {".?AVBox@mod@@x", nullptr},            // something after the end
      {"?Function@@YAXXZ", nullptr},          // a function's name, no type
      {".?AV@@", nullptr},
  };
  for (const auto& c : cases) {
    char out[256] = "untouched";
    const bool decoded = DecodeTypeDescriptorName(c.decorated, out, sizeof out);
    EXPECT_EQ(decoded, c.decoded != nullptr) << c.decorated << " gave " << out;
    if (decoded && c.decoded != nullptr) {
      EXPECT_EQ(std::string(out), c.decoded) << c.decorated;
    }
  }
}

// A name that does not fit is no name: never a part of one.
TEST(MsvcTypeName, ANameLongerThanTheBufferIsNotDecoded) {
  char out[13];
  EXPECT_FALSE(DecodeTypeDescriptorName(".?AU?$Box@H@mod@@", out, sizeof out));  // "mod::Box<int>" needs 14
  char fits[14];
  EXPECT_TRUE(DecodeTypeDescriptorName(".?AU?$Box@H@mod@@", fits, sizeof fits));
}

}  // namespace
