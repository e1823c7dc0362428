// The translator manager: registries, sessions, the cache, the external
// manager library and the description routing.
#include "xlator/xlator_session.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "status/codes.h"
#include "votarsinapi.h"
#include "xlator/error_file_translator.h"
#include "xlator/registry.h"
#include "xlator/script_xlator.h"
#include "xlator_test_support.h"

namespace {

using voxlator::TranslatorInterface;
using xltest::IntAt;
using xltest::StringAt;

// ---- Registries ----------------------------------------------------------

TEST(XlatorRegistry, LocalRegistryHoldsScriptThenDefaultWithTheirRegistrations) {
  const voxlator::TranslatorRegistryEntry* first = voxlator::localRegistry().head();
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->name, "mxlator_votarsinapi");
  EXPECT_STREQ(first->registrationInfo,
               "{\"voxlatorlua_xlator\":\"mxlator\",\"voxlatorlua_settings\":{\"driverName\":"
               "\"votarsinapi\",\"voSharedErrorsDir\":\"$_voShared32Dir/Errors\",\"KeErrorsDir\":"
               "\"$_voShared32Dir/Keerrors\"}}");
  const voxlator::TranslatorRegistryEntry* second = first->next;
  ASSERT_NE(second, nullptr);
  EXPECT_STREQ(second->name, "voxlator_default");
  EXPECT_STREQ(second->registrationInfo, "{}");
  EXPECT_EQ(second->create, &voxlator::createDefaultXlator);
  EXPECT_EQ(second->next, nullptr);
}

TEST(XlatorRegistry, ExportedRegistryHoldsOnlyTheScriptTranslator) {
  const voxlator::TranslatorRegistryEntry* head = voxlator::exportedRegistry().head();
  ASSERT_NE(head, nullptr);
  EXPECT_STREQ(head->name, "mxlator_votarsinapi");
  EXPECT_EQ(head->next, nullptr);
  EXPECT_EQ(head->create, voxlator::localRegistry().head()->create);
}

TEST(XlatorRegistry, FindComparesWholeNamesWithCase) {
  const auto& registry = voxlator::localRegistry();
  EXPECT_NE(registry.find("voxlator_default"), nullptr);
  EXPECT_EQ(registry.find("Voxlator_default"), nullptr);
  EXPECT_EQ(registry.find("voxlator_defaul"), nullptr);
  EXPECT_EQ(registry.find("voxlator_default2"), nullptr);
  EXPECT_EQ(registry.find(std::string_view("voxlator_default\0x", 18)), nullptr);
}

TEST(XlatorRegistry, LinkAppendsAtTailAndUnlinkRemoves) {
  voxlator::TranslatorRegistry registry;
  voxlator::TranslatorRegistryEntry a{"a", "{}", nullptr};
  voxlator::TranslatorRegistryEntry b{"b", "{}", nullptr};
  voxlator::TranslatorRegistryEntry c{"c", "{}", nullptr};
  registry.link(a);
  registry.link(b);
  registry.link(c);
  registry.link(b);  // linking twice changes nothing
  ASSERT_EQ(registry.head(), &a);
  EXPECT_EQ(a.next, &b);
  EXPECT_EQ(b.next, &c);
  EXPECT_EQ(c.next, nullptr);
  registry.unlink(b);
  EXPECT_EQ(a.next, &c);
  EXPECT_EQ(registry.find("b"), nullptr);
  registry.unlink(a);
  EXPECT_EQ(registry.head(), &c);
}

// ---- Cache -----------------------------------------------------------------

// Fake translators whose destruction is logged in order.
struct LoggedXlator {
  TranslatorInterface head;
  int id;
  std::vector<int>* log;
};
void destroyLogged(TranslatorInterface* t) {
  auto* x = reinterpret_cast<LoggedXlator*>(t);
  x->log->push_back(x->id);
}

TEST(XlatorCache, GrowsFromFourByMovingEntriesAndDestroysEachOnceInOrder) {
  std::vector<int> log;
  std::vector<LoggedXlator> xlators(9);
  voxlator::DestroyLocalXlator deleter;
  {
    voxlator::XlatorCache cache;
    voerr::Status status;
    EXPECT_EQ(cache.capacity(), 0u);
    for (int i = 0; i < 9; ++i) {
      xlators[i] = {{32, &destroyLogged, nullptr, nullptr}, i, &log};
      ASSERT_TRUE(cache.append("x" + std::to_string(i), &xlators[i].head, deleter, status));
      if (i == 0) {
        EXPECT_EQ(cache.capacity(), 4u);
      }
      if (i == 4) {
        EXPECT_EQ(cache.capacity(), 8u);
      }
    }
    EXPECT_EQ(cache.size(), 9u);
    EXPECT_EQ(cache.capacity(), 16u);
    EXPECT_TRUE(log.empty()) << "growth destroyed a translator";
    for (int i = 0; i < 9; ++i) {
      EXPECT_EQ(cache.find("x" + std::to_string(i)), &xlators[i].head) << i;
    }
    EXPECT_EQ(cache.find("x"), nullptr);
    EXPECT_EQ(cache.find("x10"), nullptr);
    EXPECT_EQ(status.code(), 0);
  }
  EXPECT_EQ(log, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(XlatorCache, AppendDoesNothingWhenStatusHoldsAnError) {
  std::vector<int> log;
  LoggedXlator x{{32, &destroyLogged, nullptr, nullptr}, 1, &log};
  voxlator::DestroyLocalXlator deleter;
  voxlator::XlatorCache cache;
  voerr::Status status;
  status.setCode(-1);
  EXPECT_FALSE(cache.append("x", &x.head, deleter, status));
  EXPECT_EQ(cache.size(), 0u);
  EXPECT_EQ(status.code(), -1);
  cache.clear();
  EXPECT_TRUE(log.empty()) << "a translator the cache refused was destroyed by it";
}

// ---- Sessions: local registry ----------------------------------------------

TEST(XlatorSession, DefaultTranslatorIsCreatedOnceAndCachedWithoutLoadingALibrary) {
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));
  ASSERT_NE(session, nullptr);
  TranslatorInterface* first = voxlator::getXlator(session.get(), "voxlator_default", status);
  ASSERT_NE(first, nullptr) << status.contextText();
  EXPECT_EQ(first->structSize, 32u);
  EXPECT_NE(first->getStaticDesc, nullptr);
  EXPECT_EQ(first->getDynamicDesc, nullptr);
  EXPECT_EQ(session->cache().size(), 1u);
  TranslatorInterface* second = voxlator::getXlator(session.get(), "voxlator_default", status);
  EXPECT_EQ(second, first);
  EXPECT_EQ(session->cache().size(), 1u) << "the second request created another entry";
  EXPECT_FALSE(session->managerLoaded());
  EXPECT_EQ(status.code(), 0);
}

TEST(XlatorSession, ScriptTranslatorIsCreatedLocallyOnceAndCached) {
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));
  auto* first = voxlator::getXlator(session.get(), "mxlator_votarsinapi", status);
  ASSERT_NE(first, nullptr) << status.contextText();
  EXPECT_EQ(status.code(), 0);
  EXPECT_EQ(voxlator::getXlator(session.get(), "mxlator_votarsinapi", status), first);
  EXPECT_EQ(session->cache().size(), 1u);
  EXPECT_FALSE(session->managerLoaded()) << "a local name went on to the manager library";
}

TEST(XlatorSession, OperationsDoNothingWhenStatusHoldsAnError) {
  voerr::Status ok;
  voxlator::SessionPtr session(voxlator::createSession(ok));
  voerr::Status status;
  VOERR_RAISE(status, -7, "seven");
  const std::string before = status.contextText();
  EXPECT_EQ(voxlator::createSession(status), nullptr);
  EXPECT_EQ(voxlator::getXlator(session.get(), "voxlator_default", status), nullptr);
  EXPECT_EQ(voxlator::getStaticDesc(session.get(), -52005, "voxlator_default", 0, status), nullptr);
  EXPECT_EQ(
      voxlator::getDynamicDesc(session.get(), "{\"translator\":\"voxlator_default\"}", 0, status),
      nullptr);
  EXPECT_EQ(status.code(), -7);
  EXPECT_EQ(status.contextText(), before);
  EXPECT_EQ(session->cache().size(), 0u);
}

// ---- Sessions: external manager library ----------------------------------------

class XlatorManager : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(standin_.ready()) << votest::ModuleFile("voxlator") << " not found";
  }
  xltest::StandinManager standin_;
};

TEST_F(XlatorManager, MissingLibraryFailsWithLoaderErrorAndIsNotRetriedInTheSession) {
  xltest::TempDir empty;
  xltest::ScopedManagerDirectory directory(empty.path());
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));

  EXPECT_EQ(voxlator::getXlator(session.get(), VOXLATOR_STANDIN_XLATOR_NAME, status), nullptr);
  EXPECT_EQ(status.code(), voerr::kInvalidParameter);
  const auto path = StringAt(status.contextText(), {"vodynlib_debug", "path"});
  ASSERT_TRUE(path.has_value()) << status.contextText();
  EXPECT_EQ(*path, empty.path() + "\\voxlator.dll");
  EXPECT_EQ(StringAt(status.contextText(), {"internal_error", "api"}), "win32");
  const std::string firstContext = status.contextText();
  EXPECT_FALSE(session->managerLoaded());

  // The library appears now; the session must still replay its failure.
  ASSERT_TRUE(votest::LinkModule(xltest::LibDir() + "/" + votest::ModuleFile("voxlator"),
                                 empty.path() + "/" + votest::ModuleFile("voxlator")));
  voerr::Status again;
  EXPECT_EQ(voxlator::getXlator(session.get(), VOXLATOR_STANDIN_XLATOR_NAME, again), nullptr);
  EXPECT_EQ(again.code(), voerr::kInvalidParameter);
  EXPECT_EQ(std::string(again.contextText()), firstContext);
  EXPECT_EQ(standin_.counters().sessionsCreated, 0u);

  // A new session does load it.
  voerr::Status fresh;
  voxlator::SessionPtr other(voxlator::createSession(fresh));
  EXPECT_NE(voxlator::getXlator(other.get(), VOXLATOR_STANDIN_XLATOR_NAME, fresh), nullptr)
      << fresh.contextText();
}

TEST_F(XlatorManager, ManagerTranslatorIsCachedAndReturnedToTheManagerOnDestroy) {
  xltest::ScopedManagerDirectory directory(xltest::LibDir());
  voerr::Status status;
  voxlator::Session* session = voxlator::createSession(status);
  ASSERT_NE(session, nullptr);
  TranslatorInterface* first = voxlator::getXlator(session, VOXLATOR_STANDIN_XLATOR_NAME, status);
  ASSERT_NE(first, nullptr) << status.contextText();
  EXPECT_TRUE(session->managerLoaded());
  EXPECT_EQ(voxlator::getXlator(session, VOXLATOR_STANDIN_XLATOR_NAME, status), first);
  // The local registry still comes before the manager.
  EXPECT_NE(voxlator::getXlator(session, "voxlator_default", status), nullptr);
  auto c = standin_.counters();
  EXPECT_EQ(c.sessionsCreated, 1u);
  EXPECT_EQ(c.xlatorsCreated, 1u);
  EXPECT_EQ(session->cache().size(), 2u);

  voxlator::destroySession(session);
  c = standin_.counters();
  EXPECT_EQ(c.xlatorsDestroyed, 1u);
  EXPECT_EQ(c.sessionsDestroyed, 1u);
  EXPECT_EQ(status.code(), 0);
}

TEST_F(XlatorManager, NameUnknownToTheManagerFailsWithItsErrorAndLeavesItLoaded) {
  xltest::ScopedManagerDirectory directory(xltest::LibDir());
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));
  EXPECT_EQ(voxlator::getXlator(session.get(), "no_such_xlator", status), nullptr);
  EXPECT_EQ(status.code(), voerr::kResourceNotFound);
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "name"}), "no_such_xlator");
  EXPECT_TRUE(session->managerLoaded());
  EXPECT_EQ(session->cache().size(), 0u);

  voerr::Status next;
  EXPECT_NE(voxlator::getXlator(session.get(), VOXLATOR_STANDIN_XLATOR_NAME, next), nullptr)
      << next.contextText();
  EXPECT_EQ(standin_.counters().sessionsCreated, 1u) << "the manager was loaded twice";
}

TEST_F(XlatorManager, FailedManagerSessionReleasesTheLibraryAndIsReplayed) {
  xltest::ScopedManagerDirectory directory(xltest::LibDir());
  standin_.failCreateSession(-52003);
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));
  EXPECT_EQ(voxlator::getXlator(session.get(), VOXLATOR_STANDIN_XLATOR_NAME, status), nullptr);
  EXPECT_EQ(status.code(), -52003);
  EXPECT_FALSE(session->managerLoaded());
  EXPECT_EQ(session->managerLoadStatus().code(), -52003);

  standin_.failCreateSession(0);
  voerr::Status again;
  EXPECT_EQ(voxlator::getXlator(session.get(), VOXLATOR_STANDIN_XLATOR_NAME, again), nullptr);
  EXPECT_EQ(again.code(), -52003);
  EXPECT_EQ(standin_.counters().sessionsCreated, 0u);
}

TEST_F(XlatorManager, ReplayedFailureDoesNotOverwriteAnEarlierError) {
  xltest::TempDir empty;
  xltest::ScopedManagerDirectory directory(empty.path());
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));
  voxlator::getXlator(session.get(), "anything", status);
  ASSERT_TRUE(status.isError());
  // A warning gives way to the replayed error; nothing else changes.
  voerr::Status warned;
  warned.setCode(5);
  EXPECT_EQ(voxlator::getXlator(session.get(), "anything", warned), nullptr);
  EXPECT_EQ(warned.code(), voerr::kInvalidParameter);
}

// ---- Descriptions --------------------------------------------------------------

TEST_F(XlatorManager, StaticDescriptionPassesCodeAndOptions) {
  xltest::ScopedManagerDirectory directory(xltest::LibDir());
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));
  voxlator::XlatorText text = voxlator::getStaticDesc(
      session.get(), -61014, VOXLATOR_STANDIN_XLATOR_NAME, voxlator::makeOptions(3, 2), status);
  ASSERT_NE(text, nullptr) << status.contextText();
  EXPECT_STREQ(text.get(), "Stand-in description of code -61014 (language 3, ade 2).");
  EXPECT_EQ(standin_.counters().lastOptions, 0x203u);
}

TEST_F(XlatorManager, TranslatorWithoutStaticDescriptionsRaisesResourceNotFound) {
  xltest::ScopedManagerDirectory directory(xltest::LibDir());
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));
  EXPECT_EQ(
      voxlator::getStaticDesc(session.get(), -1, VOXLATOR_STANDIN_DYNAMIC_ONLY_NAME, 0, status),
      nullptr);
  EXPECT_EQ(status.code(), voerr::kResourceNotFound);
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "debug"}),
            "xlator doesn't support getStaticDesc");
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "xlatorName"}),
            VOXLATOR_STANDIN_DYNAMIC_ONLY_NAME);
}

TEST_F(XlatorManager, DynamicDescriptionGoesToTheNamedTranslatorInJson1) {
  xltest::ScopedManagerDirectory directory(xltest::LibDir());
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));
  const char* context =
      "{\"error_constant\":\"vodeverr_readOnlyAttribute\",\"translator\":\"voxlator_standin\"}";
  voxlator::XlatorText text = voxlator::getDynamicDesc(session.get(), context, 4, status);
  ASSERT_NE(text, nullptr) << status.contextText();
  voerr::JsonValue dynamic;
  ASSERT_TRUE(voerr::ContextWriter::parseValue(xltest::FindPath(text.get(), {"dynamic"}), dynamic));
  EXPECT_EQ(dynamic.kind, voerr::JsonKind::kArray);
  EXPECT_NE(std::strstr(text.get(), "vodeverr_readOnlyAttribute"), nullptr) << text.get();
  EXPECT_EQ(standin_.counters().lastOptions, 4u);
  EXPECT_EQ(status.code(), 0) << "the manager did not ask for json1";
}

TEST_F(XlatorManager, DynamicDescriptionReadsAnEscapedTranslatorName) {
  xltest::ScopedManagerDirectory directory(xltest::LibDir());
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));
  const char* context = "{\"translator\":\"voxlator\\u005fstandin\"}";
  EXPECT_NE(voxlator::getDynamicDesc(session.get(), context, 0, status), nullptr)
      << status.contextText();
}

TEST(XlatorDescriptions, DynamicDescriptionWithoutTranslatorKeyRaisesWithTheWholeContext) {
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));
  for (const char* context : {"{\"error_constant\":\"x\",\"line\":3}", "{\"translator\":\"\"}",
                              "{\"translator\":7}", "not json", ""}) {
    voerr::Status result;
    EXPECT_EQ(voxlator::getDynamicDesc(session.get(), context, 0, result), nullptr);
    EXPECT_EQ(result.code(), voerr::kResourceNotFound) << context;
    EXPECT_EQ(StringAt(result.contextText(), {"voxlator_debug", "debug"}),
              "could not find translator key in json");
    EXPECT_EQ(StringAt(result.contextText(), {"voxlator_debug", "json"}), context);
  }
}

TEST(XlatorDescriptions, DefaultTranslatorHasNoDynamicDescriptions) {
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));
  EXPECT_EQ(
      voxlator::getDynamicDesc(session.get(), "{\"translator\":\"voxlator_default\"}", 0, status),
      nullptr);
  EXPECT_EQ(status.code(), voerr::kResourceNotFound);
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "debug"}),
            "xlator doesn't support getDynamicDesc");
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "xlatorName"}), "voxlator_default");
}

TEST(XlatorDescriptions, StaticDescriptionFromTheErrorFiles) {
  xltest::SharedErrors shared({{-52005, "An argument is not valid."}});
  voerr::Status status;
  voxlator::SessionPtr session(voxlator::createSession(status));
  voxlator::XlatorText text =
      voxlator::getStaticDesc(session.get(), -52005, "voxlator_default", 0, status);
  ASSERT_NE(text, nullptr) << status.contextText();
  EXPECT_STREQ(text.get(), "An argument is not valid.");
}

// ---- Allocation callback ---------------------------------------------------

TEST(XlatorAllocate, ReallocatesFreesAndRespectsAnErrorStatus) {
  voerr::Status status;
  auto* block = static_cast<char*>(voxlator::allocateXlatorText(nullptr, 4, nullptr, &status));
  ASSERT_NE(block, nullptr);
  std::memcpy(block, "abc", 4);
  block = static_cast<char*>(voxlator::allocateXlatorText(block, 4096, nullptr, &status));
  ASSERT_NE(block, nullptr);
  EXPECT_STREQ(block, "abc");
  EXPECT_EQ(voxlator::allocateXlatorText(block, 0, nullptr, &status), nullptr);  // frees

  voerr::Status failed;
  failed.setCode(-3);
  EXPECT_EQ(voxlator::allocateXlatorText(nullptr, 16, nullptr, &failed), nullptr);
  EXPECT_EQ(failed.code(), -3);
  EXPECT_EQ(status.code(), 0);
}

TEST(XlatorAllocate, FailedAllocationRaisesMemoryFull) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer aborts on impossible allocations";
#else
  voerr::Status status;
  EXPECT_EQ(voxlator::allocateXlatorText(nullptr, SIZE_MAX - 64, nullptr, &status), nullptr);
  EXPECT_EQ(status.code(), voerr::kMemoryFull);
  EXPECT_EQ(StringAt(status.contextText(), {"error_constant"}), "voapalerr_memoryFull");
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "debug"}), "realloc failed");
#endif
}

// ---- Exported factory --------------------------------------------------------------

TEST(XlatorExported, DefaultTranslatorIsNotExported) {
  voerr::Status status;
  EXPECT_EQ(voxlator::exportedCreate("voxlator_default", "{\"a\":1}", &status), nullptr);
  EXPECT_EQ(status.code(), voerr::kInvalidParameter);
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "voxlator_exported"}),
            "could not find xlator");
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "name"}), "voxlator_default");
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "registrationInfo"}), "{\"a\":1}");
}

TEST(XlatorExported, ScriptTranslatorGetsTheCallersRegistration) {
  // A registration that names no translator script cannot set the host up.
  voerr::Status status;
  EXPECT_EQ(voxlator::exportedCreate("mxlator_votarsinapi", "{}", &status), nullptr);
  EXPECT_EQ(status.code(), voerr::kSoftwareFault);

  voerr::Status ok;
  voxlator::TranslatorInterface* translator =
      voxlator::exportedCreate("mxlator_votarsinapi", voxlator::kScriptXlatorRegistration, &ok);
  ASSERT_NE(translator, nullptr) << ok.contextText();
  EXPECT_EQ(ok.code(), 0);
  EXPECT_EQ(translator->structSize, 32u);
  translator->destroy(translator);
}

TEST(XlatorExported, NameComparisonIsCaseSensitiveAndErrorsAreKept) {
  voerr::Status status;
  EXPECT_EQ(voxlator::exportedCreate("MXLATOR_VOTARSINAPI", "{}", &status), nullptr);
  EXPECT_EQ(status.code(), voerr::kInvalidParameter);

  voerr::Status held;
  held.setCode(-9);
  EXPECT_EQ(voxlator::exportedCreate("voxlator_default", "{}", &held), nullptr);
  EXPECT_EQ(held.code(), -9);
  EXPECT_FALSE(held.hasContext());
  EXPECT_EQ(voxlator::exportedCreate("voxlator_default", "{}", nullptr), nullptr);
}

TEST(XlatorExported, CExportTakesTheStatusRecord) {
  voerr::Status status;
  EXPECT_EQ(voxlator_exported_create("nope", nullptr, &status), nullptr);
  EXPECT_EQ(status.code(), voerr::kInvalidParameter);
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "name"}), "nope");
  EXPECT_EQ(StringAt(status.contextText(), {"voxlator_debug", "registrationInfo"}), std::nullopt);
}

TEST(XlatorScript, UnmapErrorCodeKeepsTheLow32BitsSigned) {
  EXPECT_EQ(voxlator::unmapErrorCode(-52005), -52005);
  EXPECT_EQ(voxlator::unmapErrorCode(0xFFFF34DBLL), -52005);
  EXPECT_EQ(voxlator::unmapErrorCode(0x1'0000'0005LL), 5);
  EXPECT_EQ(voxlator::unmapErrorCode(2147483647), 2147483647);
}

}  // namespace
