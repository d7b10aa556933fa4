#include "designer/quillmark_app.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include <QCoreApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QString>

#include "controls/please_wait.h"
#include "designer/frame/main_frame.h"
#include "designer/frame/navigator_bar.h"
#include "designer/print/command_line_print.h"
#include "designer/start_log.h"
#include "designer/view/doc_view.h"
#include "platform/base/file_io.h"
#include "platform/base/transport_ini.h"
#include "platform/ui/messages.h"
#include "platform/ui/outcome.h"
#include "report/model/data_source.h"
#include "report/generation/generate_report.h"
#include "report/model/folivox.h"

namespace {

constexpr const char* kWaitGenerate = "Квиллмарк: Генерация отчета...";
constexpr const char* kWaitInitialize = "Квиллмарк: Инициализация...";
constexpr const char* kWaitUnification = "Квиллмарк: Объединение отчетов...";
constexpr const char* kDataSourceError = "Ошибка чтения источника данных!";
constexpr const char* kGenerationError = "Ошибка при генерации отчета!";

// A batch run's messages go to stderr, each with the program's caption and then the file it concerns where
// the message itself does not name it: a script's log tells which file failed and why.
void WriteBatchMessages(const zor::Outcome& outcome) {
    for (const zor::Reason& message : outcome.Messages())
        std::fputs(zor::BatchLines(message, zor::DefaultCaption()).c_str(), stderr);
    std::fflush(stderr);
}

bool CanRead(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

}  // namespace

const char* QuillmarkUsageText() {
    return "Квиллмарк: конструктор и генератор отчетов\n"
           "\n"
           "Генерация отчета:\n"
           "  quillmark -gen <шаблон.zordot> -path=<данные> -outfile=<отчет.zorrep>\n"
           "    <данные>.csv - источник данных (первая непустая строка - названия колонок),\n"
           "    <данные>.par - параметры отчета, строки вида имя=значение (файла может не быть).\n"
           "Генерация с просмотром: -gen_view вместо -gen.\n"
           "Объединение отчетов (второй добавляется в конец первого, первый сохраняется):\n"
           "  quillmark -unification <отчет.zorrep> -outfile=<добавляемый.zorrep>\n"
           "Печать без диалога: quillmark -p <отчет> (принтер по умолчанию), quillmark -pt <отчет> <принтер>.\n"
           "\n"
           "Код завершения: 0 - отчет записан, 1 - показана эта справка (нет дисплея или не указан шаблон),\n"
           "2 - ошибка источника данных, 3 - ошибка генерации, 4 - ошибка объединения, 5 - ошибка печати.\n"
           "Сообщения выводятся в поток ошибок.\n";
}

CQuillmarkApp::~CQuillmarkApp() { CloseWait(); }

bool CQuillmarkApp::InitInstance(const std::string& commandLine, const std::vector<std::string>& args) {
    // The dictionary folder ends with '/', so file names are appended to it directly.
    const std::string dictionaryDir = zor::DictionaryDir();
    // A log that cannot be written is no reason not to start.
    quillmark::AppendStartLog(dictionaryDir, commandLine);

    ParseCommandLine(args, m_cmdInfo);
    ApplyCommandLine(m_cmdInfo);

    // The profile: ~/.config/Veldcourt/Квиллмарк.ini (platform/settings/profile.h), read at every use.
    QCoreApplication::setOrganizationName(QString::fromUtf8(kCompanyName));
    QCoreApplication::setApplicationName(QString::fromUtf8(kAppName));
    zor::SetDefaultCaption(kAppName);

    switch (mode) {
        case kModeGenerate:
        case kModeGenerateView:
            m_sink.emplace(&m_stderrSink);
            return RunGenerate();
        case kModeUnification:
            m_sink.emplace(&m_stderrSink);
            return RunUnification();
        default:
            if (quillmark::IsPrintCommand(m_cmdInfo)) {
                m_sink.emplace(&m_stderrSink);
                return EndBatch(quillmark::PrintReportFile(m_cmdInfo.m_strFileName, m_cmdInfo.m_strPrinterName,
                                                           dictionaryDir)
                                    ? kExitOk
                                    : kExitPrintError);
            }
            return StartInteractive();
    }
}

void CQuillmarkApp::ApplyCommandLine(const CQuillmarkCommandLineInfo& info) {
    mode = info.mode;
    templatePath = info.m_strFileName;
    parPath = info.path + ".par";
    csvPath = info.path + ".csv";
    outFile = info.outfile;
    preview = info.preview;
}

int CQuillmarkApp::Generate() {
    m_waitHandle = zorStartWaitDlg(kWaitGenerate);
    CFolivox manager;
    std::string reason;
    if (!manager.GetDataSource().LoadFromFile(csvPath, &reason)) {
        CloseWait();
        WriteBatchMessages(zor::Outcome::Failure(zor::FileReason(
            std::string(kDataSourceError) + "\n%s", {zor::FileFailureLine(csvPath, reason)}, csvPath, reason)));
        return kExitDataFileError;
    }
    // The engine writes the report atomically: on failure no half-written file is left under outFile.
    const zor::Outcome generated =
        GenerateReportOutcome(&manager, templatePath.c_str(), parPath.c_str(), outFile.c_str(), nullptr);
    CloseWait();
    WriteBatchMessages(generated);
    return generated ? kExitOk : kExitGenerationError;
}

bool CQuillmarkApp::RunGenerate() {
    // Without a template there is nothing to generate, and the data-file error that would follow
    // ("<nothing>.csv") would only mislead: say how the program is called instead.
    if (templatePath.empty()) {
        std::fputs("Квиллмарк: не указан шаблон отчета.\n\n", stderr);
        std::fputs(QuillmarkUsageText(), stderr);
        return EndBatch(kExitUsage);
    }
    const int status = Generate();
    if (mode == kModeGenerate || status == kExitDataFileError) return EndBatch(status);
    if (status != kExitOk) {
        AfxMessageBox(kGenerationError);
        return EndBatch(status);
    }
    // The report was written; showing it is the view half of the run. A report that cannot be read
    // back ends the run as it is.
    if (!CanRead(outFile)) return EndBatch(kExitOk);
    mode = kModeInteractive;
    m_fromGenView = true;
    m_cmdInfo.m_nShellCommand = CCommandLineInfo::FileOpen;
    m_cmdInfo.m_strFileName = outFile;
    return StartInteractive();
}

bool CQuillmarkApp::RunUnification() {
    m_waitHandle = zorStartWaitDlg(kWaitUnification);
    // The first report is the target and is saved (atomically); the second is merged into it.
    const zor::Outcome merged = UnificationReportsOutcome(templatePath, outFile);
    CloseWait();
    WriteBatchMessages(merged);
    return EndBatch(merged ? kExitOk : kExitMergeError);
}

// The interactive designer. With no display (Qt's offscreen platform) nothing could be seen and no one
// could end the event loop, so such a start ends at once: with status 1 and how to call the program,
// unless it only had to show a report that gen_view has already written.
bool CQuillmarkApp::StartInteractive() {
    if (!HasDisplay()) {
        m_sink.emplace(&m_stderrSink);
        if (m_fromGenView) {
            std::fprintf(stderr, "Квиллмарк: нет дисплея, отчет %s записан, но не может быть показан.\n",
                         outFile.c_str());
            return EndBatch(kExitOk);
        }
        std::fputs("Квиллмарк: нет дисплея, конструктор отчетов не может быть запущен.\n\n", stderr);
        std::fputs(QuillmarkUsageText(), stderr);
        return EndBatch(kExitNoDisplay);
    }
    m_sink.emplace(&m_qtSink);
    m_netServices.emplace();
    // "Embedding", "Automation", "Unregister" and "dde" come from a platform that starts programs as
    // servers; here they are accepted and change nothing.
    // A report that gen_view has just made opens without a wait window of its own.
    if (!m_fromGenView) m_waitHandle = zorStartWaitDlg(kWaitInitialize);
    m_addins.LoadAddins(zor::DictionaryDir());
    m_frame = std::make_unique<quillmark::CMainFrame>();
    quillmark::ConnectEditorViews(*m_frame, preview != 0);
    m_frame->openRecentFile = [this](const std::string& path) { OpenDocumentFile(path); };
    m_frame->Navigator()->openDroppedFile = [this](const std::string& path) { OpenDocumentFile(path); };
    m_frame->closeAllDocuments = [this] { return CloseAllDocuments(); };
    m_docs = std::make_unique<quillmark::CDocumentHost>(m_frame.get());
    m_docs->SetAddins(&m_addins);
    m_frame->Commands().SetHandler(quillmark::ID_FILE_OPEN, [this] { OnFileOpen(); });
    m_frame->Commands().Refresh();
    // Opening may ask (a login, a message): the wait window must not stand over the question.
    CloseWait();
    if (m_cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen && !m_cmdInfo.m_strFileName.empty())
        OpenDocumentFile(m_cmdInfo.m_strFileName);
    else
        m_docs->New();
    m_frame->ShowAsProfileSays();
    CloseWait();
    return true;
}

bool CQuillmarkApp::HasDisplay() {
    const QString platform = QGuiApplication::platformName();
    return !platform.isEmpty() && platform != "offscreen" && platform != "minimal";
}

bool CQuillmarkApp::OpenDocumentFile(const std::string& path) {
    if (!CloseAllDocuments()) return false;
    if (!CanRead(path)) {
        m_frame->RecentFiles().Remove(path);
        m_frame->RecentFiles().Save();
        m_frame->RebuildRecentMenu();
        AfxMessageBox("Файл " + path + " не найден.");
        return false;
    }
    if (!m_docs->Open(path)) return false;
    m_frame->RecentFiles().Save();
    m_frame->RebuildRecentMenu();
    return true;
}

const char* OpenFileFilters() {
    // Both kinds first: a report is opened as often as a template. The patterns are parted by a blank, as
    // the file dialog reads them.
    return "Файлы отчетов и шаблонов (*.zorrep *.zordot);;Файлы шаблонов (*.zordot);;Отчеты (*.zorrep);;"
           "Все файлы (*)";
}

void CQuillmarkApp::OnFileOpen() {
    const QString path = QFileDialog::getOpenFileName(
        m_frame.get(), QString::fromUtf8("Открыть"), QString(), QString::fromUtf8(OpenFileFilters()));
    if (!path.isEmpty()) OpenDocumentFile(path.toStdString());
}

bool CQuillmarkApp::CloseAllDocuments() {
    if (m_docs) return m_docs->CloseAll();
    if (m_frame) m_frame->CloseChildFrames();
    return true;
}

bool CQuillmarkApp::EndBatch(int status) {
    ExitInstance();
    m_exitStatus = status;
    return false;
}

int CQuillmarkApp::ExitInstance() {
    if (m_exited) return m_exitStatus;
    m_exited = true;
    CloseWait();
    CloseAllDocuments();
    m_docs.reset();
    m_frame.reset();
    m_netServices.reset();
    m_addins.UnloadAddins();
    return m_exitStatus;
}

void CQuillmarkApp::CloseWait() {
    if (m_waitHandle == 0) return;
    zorEndWaitDlg(m_waitHandle);
    m_waitHandle = 0;
}
