// Engine answers as values: the message text made from its format, the batch lines that name the file, the
// notes a run collects instead of showing them, and the order in which the one showing level shows them.
#include "platform/ui/outcome.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "platform/ui/messages.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(Outcome, TextPutsTheArgumentsIntoTheFormat) {
    const struct {
        const char* format;
        std::vector<std::string> args;
        const char* text;
    } cases[] = {
        {"Не корректный шаблон.", {}, "Не корректный шаблон."},
        {"Ошибка загрузки данных %s (%d)\n%s", {"/t.zordot", "23", "Невозможно открыть файл"},
         "Ошибка загрузки данных /t.zordot (23)\nНевозможно открыть файл"},
        // An argument is put in as it is, never read as a format of its own.
        {"%s", {"100% %s"}, "100% %s"},
        {"100%% готово", {}, "100% готово"},
        // A format asking for more than it was given leaves the place empty; a lone or unknown % stays.
        {"%s и %s", {"одно"}, "одно и "},
        {"50%", {}, "50%"},
        {"%x", {}, "%x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ((zor::Reason{c.format, c.args}).Text(), c.text);
    }
}

TEST(Outcome, BatchLinesNameTheFileTheMessageDoesNotName) {
    const struct {
        const char* name;
        zor::Reason reason;
        const char* lines;
    } cases[] = {
        {"no file", {"Не указан файл отчета!"}, "Квиллмарк: Не указан файл отчета!\n"},
        {"file without a reason", zor::FileReason("Не корректный шаблон.", {}, "/w/t.zordot"),
         "Квиллмарк: Не корректный шаблон.\n/w/t.zordot\n"},
        {"file with a reason", zor::FileReason("%s", {"Нет места"}, "/w/p.png", "No space left on device"),
         "Квиллмарк: Нет места\n/w/p.png: No space left on device\n"},
        {"message that names the file", zor::FileReason("Не могу создать файл %s", {"/w/d.csv"}, "/w/d.csv", "x"),
         "Квиллмарк: Не могу создать файл /w/d.csv\n"},
        {"message ending in a line feed", {"Готово\n"}, "Квиллмарк: Готово\n"},
        {"no message, only a file", zor::FileReason("", {}, "/w/t.zordot"), "/w/t.zordot\n"},
        {"nothing", {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(zor::BatchLines(c.reason, "Квиллмарк"), c.lines);
    }
}

TEST(Outcome, FirstFailureStaysAndComesAfterTheNotes) {
    zor::Outcome outcome;
    EXPECT_TRUE(outcome.Ok());
    outcome.AddNote({"первое"});
    outcome.Fail({"причина"});
    outcome.Fail({"поздняя"});
    outcome.AddNote({"второе"});
    EXPECT_FALSE(outcome.Ok());
    EXPECT_EQ(outcome.Why().Text(), "причина");
    std::vector<std::string> texts;
    for (const zor::Reason& r : outcome.Messages()) texts.push_back(r.Text());
    EXPECT_THAT(texts, ElementsAre("первое", "второе", "причина"));

    zor::Outcome outer;
    outer.AddNote({"раньше"});
    outer.Take(outcome);
    EXPECT_EQ(outer.Why().Text(), "причина");
    EXPECT_EQ(outer.Notes().size(), 3u);
}

TEST(Outcome, FailingOnTheLastNoteKeepsItsOwnFile) {
    zor::Outcome told;
    told.AddNote({"раньше"});
    told.AddNote({"Не верно задана функция!"});
    told.FailOnLastNote("/w/t.zordot");
    EXPECT_EQ(told.Why().Text(), "Не верно задана функция!");
    EXPECT_EQ(told.Why().file, "/w/t.zordot");
    EXPECT_EQ(told.Notes().size(), 1u);

    zor::Outcome ownFile;
    ownFile.AddNote(zor::FileReason("Ошибка", {}, "/w/s.zorrep"));
    ownFile.FailOnLastNote("/w/t.zorrep");
    EXPECT_EQ(ownFile.Why().file, "/w/s.zorrep");

    zor::Outcome silent;
    silent.FailOnLastNote("/w/t.zordot");
    EXPECT_FALSE(silent.Ok());
    EXPECT_EQ(silent.Why().format, "");
    EXPECT_EQ(silent.Why().file, "/w/t.zordot");
}

// Notes join the outcome in force on their own thread; with none in force they are shown at once.
TEST(Outcome, NotesJoinTheScopedOutcomeElseTheyAreShown) {
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped(&sink);
    zor::Note({"сразу"});
    zor::Outcome outer, inner;
    {
        const zor::ScopedNotes collect(outer);
        zor::Note({"во внешний"});
        {
            const zor::ScopedNotes nested(inner);
            zor::Note({"во внутренний"});
        }
        zor::Note({"снова во внешний"});
        std::thread other([] { zor::Note({"из другого потока"}); });
        other.join();
    }
    zor::Note({"потом"});
    EXPECT_THAT(sink.Texts(), ElementsAre("сразу", "из другого потока", "потом"));
    ASSERT_EQ(outer.Notes().size(), 2u);
    EXPECT_EQ(outer.Notes()[1].Text(), "снова во внешний");
    ASSERT_EQ(inner.Notes().size(), 1u);
    EXPECT_EQ(inner.Notes()[0].Text(), "во внутренний");
}

TEST(Outcome, ShowingGivesEveryMessageInOrderAndSkipsAnEmptyReason) {
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped(&sink);
    zor::Outcome outcome;
    outcome.AddNote({"%s", {""}});  // an empty text the system gave is still a box
    outcome.AddNote({"заметка"});
    outcome.Fail({});
    zor::ShowOutcome(outcome);
    EXPECT_THAT(sink.Texts(), ElementsAre("", "заметка"));
    EXPECT_EQ(sink.Messages()[1].type, static_cast<unsigned>(MB_OK));
}

TEST(Outcome, ConfirmAsksTheBoxOrAnswersAsFixed) {
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped(&sink);
    zor::BoxConfirm box;
    sink.QueueAnswer(IDYES);
    EXPECT_TRUE(box.Confirm("Удалить?"));
    EXPECT_FALSE(box.Confirm("Удалить?"));  // nobody answered: No is the default
    ASSERT_EQ(sink.Messages().size(), 2u);
    EXPECT_EQ(sink.Messages()[0].type, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));

    zor::FixedConfirm no(false);
    EXPECT_FALSE(no.Confirm("Удалить?"));
    EXPECT_THAT(no.Questions(), ElementsAre("Удалить?"));
    EXPECT_EQ(sink.Messages().size(), 2u);
}

}  // namespace
