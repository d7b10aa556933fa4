#pragma once
// What the document tests share: a folder of their own that is also the dictionary folder (so that
// "report.log" lands there), the profile in it, a message recorder, and templates built through the model.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include <QTreeWidget>

#include <gtest/gtest.h>

#include "controls/tests/gui_test_app.h"
#include "designer/doc/quillmark_doc.h"
#include "designer/navigator/doc_navigator.h"
#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"

namespace quillmark::doc_test {

class DocTest : public ::testing::Test {
protected:
    DocTest() {
        std::filesystem::copy_file(std::string(QM_DICT_DIR) + "/quillmark.dict", dir / "quillmark.dict");
        std::ofstream(dir / "ZorTransport.ini") << "[Paths]\nDictionary=" << dir.Path() << "/\n";
    }

    std::string Path(const std::string& name) const { return dir / name; }
    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    static void WriteBytes(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static timespec ModTime(const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mtim;
    }
    // A document with a navigator on the fixture's tree (no frame).
    std::unique_ptr<CQuillmarkDoc> NewDoc() {
        navigators.push_back(std::make_unique<CDocNavigator>(&tree));
        return std::make_unique<CQuillmarkDoc>(navigators.back().get());
    }
    // The navigator of a document that NewDoc made.
    CDocNavigator& Nav(const CQuillmarkDoc& doc) const {
        for (const auto& navigator : navigators)
            if (navigator->Document() == &doc) return *navigator;
        throw std::logic_error("a document without a navigator");
    }
    std::vector<std::string> SheetNames(CQuillmarkDoc& doc) const;
    // The texts of the tree's top-level items, in order.
    std::vector<std::string> TreeTexts() const;

    // The application object comes before any widget member.
    struct GuiFirst {
        GuiFirst() { EnsureGuiApplication(); }
    } guiFirst;
    zor::test::ScopedTempDir dir;
    zor::test::ScopedEnv transport{"ZOR_TRANSPORT_INI", dir / "ZorTransport.ini"};
    zor::test::ScopedEnv config{"XDG_CONFIG_HOME", dir.Path()};
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink scopedSink{&messages};
    QTreeWidget tree;
    // After the tree: they go first, and the documents before them.
    std::vector<std::unique_ptr<CDocNavigator>> navigators;
};

}  // namespace quillmark::doc_test
