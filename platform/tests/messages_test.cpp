#include "platform/ui/messages.h"

#include <gtest/gtest.h>

TEST(Messages, DefaultAnswersFollowTheDefaultButton) {
    struct Case { unsigned type; int answer; };
    const Case cases[] = {
        {MB_OK, IDOK},
        {MB_YESNO | MB_ICONQUESTION, IDYES},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_RETRYCANCEL, IDRETRY},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
    };
    for (const auto& c : cases) EXPECT_EQ(zor::DefaultAnswer(c.type), c.answer) << c.type;
}

TEST(Messages, RecorderKeepsTextsAndGivesScriptedAnswers) {
    zor::RecordingMessageSink rec;
    zor::ScopedMessageSink scope(&rec);
    rec.QueueAnswer(IDNO);
    EXPECT_EQ(AfxMessageBox("Сохранить изменения?", MB_YESNO), IDNO);
    EXPECT_EQ(AfxMessageBox("Ошибка", MB_OK | MB_ICONERROR), IDOK);
    auto msgs = rec.Messages();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].text, "Сохранить изменения?");
    EXPECT_EQ(msgs[1].type & MB_ICONMASK, unsigned(MB_ICONERROR));
}
