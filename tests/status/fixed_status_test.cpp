// The fixed-size status block and its conversions to and from a Status.
#include "status/fixed_status.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "status/codes.h"
#include "status/context_writer.h"
#include "status/status.h"
#include "status_test_support.h"

namespace {

using voerr::FixedStatus;
using voerr::Status;

std::string Numbered(size_t length) {
  std::string s;
  for (size_t i = 0; i < length; ++i) s.push_back(static_cast<char>('a' + i % 26));
  return s;
}

bool IsValidUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

TEST(FixedStatusBlock, DefaultIsAnEmptyFullBlock) {
  FixedStatus b;
  EXPECT_EQ(b.structSize, 208u);
  EXPECT_TRUE(b.isFull());
  EXPECT_EQ(b.code, 0);
  EXPECT_STREQ(b.component, "");
  EXPECT_STREQ(b.file, "");
  EXPECT_EQ(b.line, 0u);
  EXPECT_EQ(b.extension[0], 0u);
}

// --- set ---------------------------------------------------------------------------

TEST(FixedStatusSet, StoresLocationOfATakenCode) {
  FixedStatus b;
  b.extension[0] = 0x1234;
  ASSERT_TRUE(b.set(voerr::kInvalidParameter, "votarsinapi", "src/file.cpp", 77));
  EXPECT_EQ(b.code, voerr::kInvalidParameter);
  EXPECT_STREQ(b.component, "votarsina");  // the first nine characters
  EXPECT_STREQ(b.file, "src/file.cpp");
  EXPECT_EQ(b.line, 77u);
  EXPECT_EQ(b.extension[0], 0u);
}

TEST(FixedStatusSet, PrecedenceRule) {
  struct Case {
    int32_t held;
    int32_t incoming;
    bool taken;
  };
  const Case cases[] = {{0, -1, true},   {0, 4, true},   {0, 0, false},
                        {4, -1, true},   {4, 5, false},  {4, 0, false},
                        {-1, -2, false}, {-1, 4, false}, {-1, 0, false}};
  for (const Case& c : cases) {
    FixedStatus b;
    b.code = c.held;
    std::strcpy(b.file, "held.cpp");
    b.line = 1;
    EXPECT_EQ(b.set(c.incoming, "comp", "new.cpp", 2), c.taken) << c.held << " <- " << c.incoming;
    EXPECT_EQ(b.code, c.taken ? c.incoming : c.held);
    EXPECT_STREQ(b.file, c.taken ? "new.cpp" : "held.cpp");
    EXPECT_EQ(b.line, c.taken ? 2u : 1u);
  }
}

TEST(FixedStatusSet, LongFileNamesKeepBothEnds) {
  const std::string name150 = Numbered(150);
  FixedStatus b;
  ASSERT_TRUE(b.set(-1, "c", name150.c_str(), 1));
  EXPECT_EQ(std::string(b.file), name150.substr(0, 49) + ".." + name150.substr(101));
  EXPECT_EQ(std::strlen(b.file), 100u);

  const std::string name100 = Numbered(100);
  FixedStatus whole;
  ASSERT_TRUE(whole.set(-1, "c", name100.c_str(), 1));
  EXPECT_EQ(std::string(whole.file), name100);

  const std::string name101 = Numbered(101);
  FixedStatus cut;
  ASSERT_TRUE(cut.set(-1, "c", name101.c_str(), 1));
  EXPECT_EQ(std::string(cut.file), name101.substr(0, 49) + ".." + name101.substr(52));
}

TEST(FixedStatusSet, CutsDoNotSplitUtf8Sequences) {
  std::string name;
  while (name.size() < 150) name += "\xc3\xa9";  // e acute, two bytes each
  FixedStatus b;
  ASSERT_TRUE(b.set(-1, "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", name.c_str(), 1));
  const std::string file = b.file;
  EXPECT_TRUE(IsValidUtf8(file)) << file;
  EXPECT_LE(file.size(), 100u);
  EXPECT_NE(file.find(".."), std::string::npos);
  EXPECT_TRUE(IsValidUtf8(b.component));
  EXPECT_EQ(std::string(b.component), "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9");
}

TEST(FixedStatusSet, NullTextsCountAsEmpty) {
  FixedStatus b;
  std::strcpy(b.file, "stale");
  ASSERT_TRUE(b.set(-3, nullptr, nullptr, 5));
  EXPECT_STREQ(b.component, "");
  EXPECT_STREQ(b.file, "");
  EXPECT_EQ(b.line, 5u);
}

TEST(FixedStatusSet, ShortBlockCarriesOnlyTheCode) {
  FixedStatus b;
  b.structSize = 8;
  std::memset(b.component, 'x', sizeof b.component);
  std::memset(b.file, 'y', sizeof b.file);
  b.line = 0xAAAA;
  b.extension[0] = 0xBBBB;
  ASSERT_TRUE(b.set(-5, "comp", "file.cpp", 3));
  EXPECT_EQ(b.code, -5);
  for (char c : b.component) EXPECT_EQ(c, 'x');
  for (char c : b.file) EXPECT_EQ(c, 'y');
  EXPECT_EQ(b.line, 0xAAAAu);
  EXPECT_EQ(b.extension[0], 0xBBBBu);
}

// --- mergeFixed ------------------------------------------------------------------------

TEST(FixedStatusMerge, CopiesExtensionWordsUpToTheFirstZero) {
  FixedStatus from;
  ASSERT_TRUE(from.set(-2, "comp", "from.cpp", 9));
  from.extension[0] = 11;
  from.extension[1] = 22;
  from.extension[2] = 0;
  from.extension[3] = 44;  // behind the terminator: not copied
  FixedStatus into;
  into.extension[3] = 99;
  ASSERT_TRUE(voerr::mergeFixed(into, from));
  EXPECT_EQ(into.code, -2);
  EXPECT_STREQ(into.component, "comp");
  EXPECT_STREQ(into.file, "from.cpp");
  EXPECT_EQ(into.line, 9u);
  EXPECT_EQ(into.extension[0], 11u);
  EXPECT_EQ(into.extension[1], 22u);
  EXPECT_EQ(into.extension[2], 0u);
  EXPECT_NE(into.extension[3], 44u);
}

TEST(FixedStatusMerge, AFullExtensionListCopiesTenWords) {
  struct Guarded {
    FixedStatus block;
    uint64_t after = 0x5A5A5A5A5A5A5A5Au;
  };
  Guarded from;
  Guarded into;
  ASSERT_TRUE(from.block.set(-2, "c", "f", 1));
  for (size_t i = 0; i < FixedStatus::kExtensionWords; ++i) from.block.extension[i] = 100 + i;
  ASSERT_TRUE(voerr::mergeFixed(into.block, from.block));
  for (size_t i = 0; i < FixedStatus::kExtensionWords; ++i) {
    EXPECT_EQ(into.block.extension[i], 100 + i);
  }
  EXPECT_EQ(into.after, 0x5A5A5A5A5A5A5A5Au);
}

TEST(FixedStatusMerge, ShortSourceGivesEmptyLocation) {
  FixedStatus from;
  from.structSize = 8;
  from.code = -4;
  std::strcpy(from.file, "ignored.cpp");
  from.line = 12;
  from.extension[0] = 7;
  FixedStatus into;
  std::strcpy(into.file, "stale.cpp");
  ASSERT_TRUE(voerr::mergeFixed(into, from));
  EXPECT_EQ(into.code, -4);
  EXPECT_STREQ(into.file, "");
  EXPECT_STREQ(into.component, "");
  EXPECT_EQ(into.line, 0u);
  EXPECT_EQ(into.extension[0], 0u);
}

TEST(FixedStatusMerge, ShortTargetTakesOnlyTheCode) {
  FixedStatus from;
  ASSERT_TRUE(from.set(-2, "comp", "from.cpp", 9));
  from.extension[0] = 5;
  FixedStatus into;
  into.structSize = 8;
  ASSERT_TRUE(voerr::mergeFixed(into, from));
  EXPECT_EQ(into.code, -2);
  EXPECT_STREQ(into.file, "");
  EXPECT_EQ(into.extension[0], 0u);
}

TEST(FixedStatusMerge, NotTakenLeavesEverything) {
  FixedStatus from;
  ASSERT_TRUE(from.set(-2, "comp", "from.cpp", 9));
  FixedStatus into;
  ASSERT_TRUE(into.set(-1, "first", "first.cpp", 1));
  into.extension[0] = 3;
  EXPECT_FALSE(voerr::mergeFixed(into, from));
  EXPECT_EQ(into.code, -1);
  EXPECT_STREQ(into.file, "first.cpp");
  EXPECT_EQ(into.extension[0], 3u);
  EXPECT_FALSE(voerr::mergeFixed(into, into));
}

TEST(FixedStatusMerge, UnterminatedFieldsOfAForeignBlockAreBounded) {
  FixedStatus from;
  from.code = -6;
  std::memset(from.component, 'c', sizeof from.component);
  std::memset(from.file, 'f', sizeof from.file);
  FixedStatus into;
  ASSERT_TRUE(voerr::mergeFixed(into, from));
  EXPECT_EQ(std::string(into.component), std::string(9, 'c'));
  EXPECT_EQ(std::string(into.file), std::string(49, 'f') + ".." + std::string(49, 'f'));
}

// --- fromStatus / toStatus ------------------------------------------------------------------

TEST(FixedStatusFromStatus, ReadsTheContextEnds) {
  const std::string path = "/very/long/" + Numbered(120) + "/file.cpp";
  Status s;
  s.raise(voerr::kResourceNotFound, voerr::kResourceNotFoundName, path.c_str(), 321,
          voerr::kComponent);
  FixedStatus b;
  ASSERT_TRUE(voerr::fromStatus(s, b));
  EXPECT_EQ(b.code, voerr::kResourceNotFound);
  EXPECT_STREQ(b.component, "tarsinapi");  // the last nine characters
  EXPECT_EQ(std::string(b.file), path.substr(path.size() - 100));
  EXPECT_EQ(b.line, 321u);
}

TEST(FixedStatusFromStatus, UnescapesAndReadsFractionalLines) {
  Status s;
  ASSERT_TRUE(s.setContextText(R"({"file":"a\\b\u00e9.cpp","line":12.9,"component":"x"})"));
  s.setCode(-1);
  FixedStatus b;
  ASSERT_TRUE(voerr::fromStatus(s, b));
  EXPECT_STREQ(b.file, "a\\b\xc3\xa9.cpp");
  EXPECT_EQ(b.line, 12u);
  EXPECT_STREQ(b.component, "x");
}

TEST(FixedStatusFromStatus, Precedence) {
  Status error;
  error.raise(-7, "e", "e.cpp", 1, voerr::kComponent);

  FixedStatus held;
  ASSERT_TRUE(held.set(-1, "first", "first.cpp", 2));
  EXPECT_FALSE(voerr::fromStatus(error, held));
  EXPECT_EQ(held.code, -1);
  EXPECT_STREQ(held.file, "first.cpp");

  FixedStatus warned;
  ASSERT_TRUE(warned.set(3, "w", "w.cpp", 2));
  EXPECT_TRUE(voerr::fromStatus(error, warned));
  EXPECT_EQ(warned.code, -7);
  EXPECT_STREQ(warned.file, "e.cpp");

  Status success;
  FixedStatus empty;
  EXPECT_FALSE(voerr::fromStatus(success, empty));
  EXPECT_EQ(empty.code, 0);
}

TEST(FixedStatusFromStatus, WithoutContextOnlyTheCodeArrives) {
  Status s;
  s.setCode(-9);
  FixedStatus b;
  ASSERT_TRUE(voerr::fromStatus(s, b));
  EXPECT_EQ(b.code, -9);
  EXPECT_STREQ(b.file, "");
  EXPECT_STREQ(b.component, "");
  EXPECT_EQ(b.line, 0u);
}

TEST(FixedStatusToStatus, WritesFileLineAndComponent) {
  FixedStatus b;
  ASSERT_TRUE(b.set(-4, "comp", "dir\\file.cpp", 17));
  Status s;
  ASSERT_TRUE(voerr::toStatus(b, s));
  EXPECT_EQ(s.code(), -4);
  EXPECT_STREQ(s.contextText(), R"({"file":"dir\\file.cpp","line":17,"component":"comp"})");
  EXPECT_TRUE(statustest::HasValidLayout(s));

  // And back again.
  FixedStatus back;
  ASSERT_TRUE(voerr::fromStatus(s, back));
  EXPECT_EQ(back.code, -4);
  EXPECT_STREQ(back.file, "dir\\file.cpp");
  EXPECT_STREQ(back.component, "comp");
  EXPECT_EQ(back.line, 17u);
}

TEST(FixedStatusToStatus, EmptyFieldsAreLeftOut) {
  FixedStatus b;
  b.code = -4;
  std::strcpy(b.component, "comp");
  b.line = 5;
  Status s;
  ASSERT_TRUE(voerr::toStatus(b, s));
  EXPECT_STREQ(s.contextText(), R"({"component":"comp"})");

  FixedStatus shortBlock;
  shortBlock.structSize = 8;
  shortBlock.code = 6;
  std::strcpy(shortBlock.file, "ignored");
  Status w;
  ASSERT_TRUE(voerr::toStatus(shortBlock, w));
  EXPECT_EQ(w.code(), 6);
  EXPECT_STREQ(w.contextText(), "{}");
}

TEST(FixedStatusToStatus, Precedence) {
  FixedStatus zero;
  Status s;
  EXPECT_FALSE(voerr::toStatus(zero, s));
  EXPECT_FALSE(s.hasContext());

  FixedStatus b;
  ASSERT_TRUE(b.set(-4, "comp", "b.cpp", 1));
  Status held;
  held.raise(-1, "first", "first.cpp", 2, voerr::kComponent);
  const std::string before = held.contextText();
  EXPECT_FALSE(voerr::toStatus(b, held));
  EXPECT_EQ(held.code(), -1);
  EXPECT_EQ(held.contextText(), before);

  Status warned;
  warned.raise(2, "w", "w.cpp", 2, voerr::kComponent);
  EXPECT_TRUE(voerr::toStatus(b, warned));
  EXPECT_EQ(warned.code(), -4);
  EXPECT_EQ(statustest::StringMember(warned.contextText(), "file"), "b.cpp");
  EXPECT_EQ(voerr::ContextWriter::findKey(warned.contextText(), "error_constant"), nullptr);
}

}  // namespace
