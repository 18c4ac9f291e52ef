#include <gtest/gtest.h>

#include <thread>

#include "script/script_error.h"
#include "script/truth_text.h"
#include "script/variable_store.h"

namespace qm {
namespace {

constexpr std::string_view kAction = "Set Variable Action";

std::string error_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const ScriptError& error) {
    return error.what();
  }
  return "(no error)";
}

TEST(VariableStoreTest, NamesAreCaseInsensitiveAndStoredUpperCase) {
  VariableStore store;
  store.define("Title", "Sample", kAction);
  EXPECT_EQ(store.get("title"), "Sample");
  EXPECT_TRUE(store.exists("TITLE"));
  store.set("tItLe", "Other", kAction);
  EXPECT_EQ(store.get("TITLE"), "Other");
  ASSERT_EQ(store.size(), 1u);
  EXPECT_EQ(store.snapshot()[0].first, "TITLE");
  store.define("title", "Third", kAction);
  EXPECT_EQ(store.size(), 1u) << "define of an existing variable sets it";
  EXPECT_EQ(store.get("Title"), "Third");
  store.define("", "ignored", kAction);
  EXPECT_EQ(store.size(), 1u) << "an empty name defines nothing";
}

TEST(VariableStoreTest, UndefinedVariablesAreScriptErrors) {
  VariableStore store;
  EXPECT_EQ(error_of([&] { store.get("Missing"); }), "Attempting to get value of undefined variable Missing");
  EXPECT_EQ(error_of([&] { store.set("Missing", "x", kAction); }),
            "Attempting to set value of undefined variable MISSING");
  EXPECT_FALSE(store.exists("Missing")) << "a failed set changes nothing";
}

TEST(VariableStoreTest, CommandLineValuesWinOnlyInSilentRuns) {
  for (const bool silent : {true, false}) {
    VariableStore store;
    store.set_overrides({{"allusers", "1"}});
    store.set_silent_run(silent);
    store.define("ALLUSERS", "", category::kInitialization);
    store.set("ALLUSERS", "1", category::kInjectOverride);
    store.set("AllUsers", "", kAction);
    EXPECT_EQ(store.get("ALLUSERS"), silent ? "1" : "") << "silent=" << silent;
    store.define("ALLUSERS", "2", kAction);
    EXPECT_EQ(store.get("ALLUSERS"), silent ? "1" : "2") << "define goes through set";
    store.set("ALLUSERS", "3", category::kInjectOverride);
    EXPECT_EQ(store.get("ALLUSERS"), "3") << "the injection itself always writes";
  }
}

TEST(VariableStoreTest, Expand) {
  VariableStore store;
  store.define("B_FIRST", "x", kAction);
  store.define("A", "$B_FIRST$", kAction);
  store.define("C", "$D_LATER$", kAction);
  store.define("D_LATER", "y", kAction);
  store.define("TARGETDIR", "C:\\Program Files\\Sample\\", kAction);
  store.define("EMPTY", "", kAction);
  store.define("PRICE", "50$", kAction);

  struct Case {
    const char* text;
    const char* expanded;
  } cases[] = {
      {"$A$", "x"},                                  // a reference defined before
      {"$C$", "y"},                                  // a reference defined after
      {"$targetdir$bin", "C:\\Program Files\\Sample\\bin"},
      {"50$", "50$"},                                // a lone dollar stays
      {"$UNDEFINED$ and $A$", "$UNDEFINED$ and x"},  // undefined references stay literally
      {"[$EMPTY$]", "[]"},
      {"$$A$$", "$x$"},
      {"a$newline$b", "a\r\nb"},
      {"$NEWLINE$", "\r\n"},
      {"no dollars", "no dollars"},
      {"$PRICE$ + $A$", "50$ + x"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(store.expand(c.text), c.expanded) << c.text;
}

TEST(VariableStoreTest, ExpandFollowsDefinitionOrder) {
  // "$A$B$" holds both "$A$" and "$B$"; whichever variable was defined first
  // is substituted first and consumes the shared dollar sign.
  VariableStore a_first;
  a_first.define("A", "1", kAction);
  a_first.define("B", "2", kAction);
  EXPECT_EQ(a_first.expand("$A$B$"), "1B$");

  VariableStore b_first;
  b_first.define("B", "2", kAction);
  b_first.define("A", "1", kAction);
  EXPECT_EQ(b_first.expand("$A$B$"), "$A2");

  // Replaced text is not scanned again within one replacement.
  VariableStore store;
  store.define("A", "$A", kAction);
  EXPECT_EQ(store.expand("$A$A$"), "$AA$");
}

TEST(VariableStoreTest, ExpandWithUnusualNamesMatchesTheOrdinaryRules) {
  // Names with a "$" can only come back from a plug-in; they must not stop
  // ordinary references from being substituted.
  VariableStore store;
  store.replace_all("A$B,1,TARGET,C:\\,LATE,$TARGET$x");
  EXPECT_EQ(store.expand("$A$B$"), "1");
  EXPECT_EQ(store.expand("$LATE$"), "C:\\x");

  // A name a plug-in's store holds twice counts with its first value, with
  // such names in the store or without.
  for (const char* text : {"A,x,B,$A$,A,y,Q$,q", "A,x,B,$A$,A,y"}) {
    VariableStore twice;
    twice.replace_all(text);
    EXPECT_EQ(twice.expand("[$B$ $a$]"), "[x x]") << text;
  }
}

TEST(VariableStoreTest, SelfReferenceStopsAtOnce) {
  // A text that would grow or circle for ever stops after the pass that
  // substitutes the same variables as an earlier one.
  VariableStore store;
  store.define("GROW", "a$GROW$", kAction);
  store.define("DOUBLE", "$DOUBLE$$DOUBLE$", kAction);
  store.define("PING", "$PONG$", kAction);
  store.define("PONG", "$PING$", kAction);
  store.define("B", "$B$-", kAction);
  store.define("A", "$A$$A$", kAction);
  store.define("X", "$B$$A$", kAction);
  store.define("FAN", "$FAN2$$FAN2$", kAction);
  store.define("FAN2", "$FAN$$FAN$", kAction);

  const std::pair<const char*, const char*> cases[] = {
      {"$GROW$", "aa$GROW$"},
      {"$DOUBLE$", "$DOUBLE$$DOUBLE$$DOUBLE$$DOUBLE$"},
      {"$PING$", "$PING$"},
      {"$B$", "$B$--"},
      {"$A$", "$A$$A$$A$$A$"},
      {"$X$", "$B$--$A$$A$$A$$A$"},
      {"[$X$ $A$ $B$]", "[$B$--$A$$A$$A$$A$ $A$$A$$A$$A$$A$$A$$A$$A$ $B$---]"},
      {"$FAN$", "$FAN$$FAN$$FAN$$FAN$$FAN$$FAN$$FAN$$FAN$$FAN$$FAN$$FAN$$FAN$$FAN$$FAN$$FAN$$FAN$"},
  };
  for (const auto& [text, expanded] : cases) EXPECT_EQ(store.expand(text), expanded) << text;
}

TEST(VariableStoreTest, LongReferenceChainsAndLargeValuesStillExpand) {
  // A chain without a circle names deeper variables after every pass, in
  // whatever order the variables were defined.
  VariableStore store;
  for (int i = 40; i > 0; --i) store.define("V" + std::to_string(i), "<$V" + std::to_string(i + 1) + "$>", kAction);
  store.define("V41", "end", kAction);
  EXPECT_EQ(store.expand("$V1$"), std::string(40, '<') + "end" + std::string(40, '>'));

  const std::string big(3 * 1024 * 1024, 'b');
  store.define("BIG", big + "$V41$", kAction);
  store.define("POINTER", "$BIG$", kAction);
  EXPECT_EQ(store.expand("[$POINTER$]"), "[" + big + "end]");
}

TEST(VariableStoreTest, NamesWithADollarSignStopTheSameWay) {
  // Such names come only from a plug-in's store; references to them are not
  // found between dollar signs, but their circles are recognised all the same.
  VariableStore store;
  store.replace_all("$A,$A$A$$A,X,$X$$X$");
  EXPECT_EQ(store.expand("$X$"), "$X$$X$$X$$X$");
  EXPECT_LT(store.expand("$$A$").size(), 100u);
}

TEST(VariableStoreTest, ExpandQuoted) {
  VariableStore store;
  store.define("A", "x", kAction);
  store.define("B", "$A$", kAction);
  store.define("Q", "say \"hi\"", kAction);
  EXPECT_EQ(store.expand_quoted("$A$=1"), "\"x\"=1");
  EXPECT_EQ(store.expand_quoted("$B$ = \"x\""), "\"x\" = \"x\"")
      << "references a value brings in are substituted without quotes";
  EXPECT_EQ(store.expand_quoted("$Q$"), "\"say \"hi\"\"") << "quotes inside a value are not doubled";
  EXPECT_EQ(store.expand_quoted("a$NEWLINE$b"), "a\r\nb");
  EXPECT_EQ(store.expand_quoted("plain"), "plain");
}

TEST(VariableStoreTest, References) {
  VariableStore store;
  store.define("TARGETDIR", "$ROOT$App\\", kAction);
  store.define("ROOT", "C:\\", kAction);
  store.define("EMPTY", "", kAction);

  const std::pair<const char*, const char*> names[] = {
      {"$A$", "A"}, {"$$", ""}, {"TARGETDIR", ""}, {"$A$B$", ""}, {"$A", ""}, {"A$", ""}, {"$", ""}, {"", ""}};
  for (const auto& [text, name] : names) EXPECT_EQ(reference_name(text), name) << text;

  EXPECT_EQ(store.reference_value("$TARGETDIR$"), "C:\\App\\");
  EXPECT_EQ(store.reference_value("targetdir"), "C:\\App\\");
  EXPECT_EQ(store.reference_value("$MISSING$"), "");
  EXPECT_EQ(store.reference_value_or_marker("$MISSING$"), "$VRAKNX$");
  EXPECT_EQ(store.reference_value_or_marker("$EMPTY$"), "");

  EXPECT_TRUE(store.names_a_variable("$ROOT$", false));
  EXPECT_FALSE(store.names_a_variable("$MISSING$", true));
  EXPECT_TRUE(store.names_a_variable("literal text", true));
  EXPECT_FALSE(store.names_a_variable("literal text", false));
  EXPECT_TRUE(store.names_a_variable("root", false));
}

TEST(VariableStoreTest, TruthTextsAndNewlines) {
  const std::pair<const char*, bool> cases[] = {{"TRUE", true}, {"true", true}, {"True", true}, {"-1", true},
                                                {"1", false},   {" TRUE", false}, {"", false},  {"FALSE", false},
                                                {"-1 ", false}, {"YES", false}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(is_true(text), expected) << '"' << text << '"';
  EXPECT_EQ(to_truth_text(true), "TRUE");
  EXPECT_EQ(to_truth_text(false), "FALSE");

  EXPECT_EQ(newlines_to_text("a$NewLine$b$NEWLINE$"), "a\r\nb\r\n");
  EXPECT_EQ(text_to_newlines("a\r\nb\nc\r"), "a$NEWLINE$b\nc\r");
  EXPECT_EQ(newlines_to_text(text_to_newlines("one\r\ntwo")), "one\r\ntwo");
}

TEST(VariableStoreTest, SerializeAndReplaceAll) {
  VariableStore store;
  store.define("A", "x y", kAction);
  store.define("B", "", kAction);
  EXPECT_EQ(store.serialize(), "A,\"x y\",B,");

  VariableStore copy;
  copy.define("OLD", "gone", kAction);
  copy.replace_all(store.serialize());
  EXPECT_EQ(copy.snapshot(), store.snapshot());
  EXPECT_FALSE(copy.exists("OLD"));

  VariableStore awkward;
  awkward.define("QUOTE", "say \"hi\", then\r\nleave", kAction);
  awkward.define("TAB", "a\tb", kAction);
  awkward.define("PLAIN", "C:\\Program", kAction);
  VariableStore round_trip;
  round_trip.replace_all(awkward.serialize());
  EXPECT_EQ(round_trip.snapshot(), awkward.snapshot());

  VariableStore odd;
  odd.replace_all("a,1,lonely");
  EXPECT_EQ(odd.size(), 1u) << "an odd last item is dropped";
  EXPECT_EQ(odd.get("A"), "1");
}

TEST(VariableStoreTest, ClearEmptiesStoreAndPersistedList) {
  VariableStore store;
  store.define("A", "1", kAction);
  store.keep("Install_Dir");
  store.keep("INSTALL_DIR");
  store.keep("Other");
  EXPECT_EQ(store.persisted(), (std::vector<std::string>{"Install_Dir", "Other"}));
  store.clear();
  EXPECT_EQ(store.size(), 0u);
  EXPECT_TRUE(store.persisted().empty());
}

TEST(VariableStoreTest, ManyVariablesStayIndexed) {
  VariableStore store;
  for (int i = 0; i < 5000; ++i) store.define("V" + std::to_string(i), std::to_string(i), kAction);
  EXPECT_EQ(store.get("v4999"), "4999");
  EXPECT_EQ(store.expand("$V0$-$V2500$-$v4999$"), "0-2500-4999");
}

TEST(VariableStoreTest, ConcurrentWritersAndReaders) {
  VariableStore store;
  store.define("COUNTER", "0", kAction);
  auto writer = [&](int id) {
    for (int i = 0; i < 2000; ++i) {
      auto guard = store.lock();
      const int value = std::stoi(store.get("COUNTER"));
      store.set("COUNTER", std::to_string(value + 1), kAction);
      store.define("T" + std::to_string(id) + "_" + std::to_string(i % 50), "v", kAction);
    }
  };
  std::thread first(writer, 1), second(writer, 2);
  for (int i = 0; i < 500; ++i) store.expand("$COUNTER$ $T1_3$");
  first.join();
  second.join();
  EXPECT_EQ(store.get("COUNTER"), "4000");
  EXPECT_EQ(store.size(), 101u);
}

}  // namespace
}  // namespace qm
