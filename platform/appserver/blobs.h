#pragma once
// The blob store of a database: files in the folder "<database>.blobs" beside it, each under a
// name the server made (letters, digits and '_'). One transfer per session (commands 20 to 24):
//   open (24) with no name starts a write under a new unique name; with a name, opens that blob
//   for reading (22), deleting (20) or just its size (21);
//   a write goes to a file without a name (or, where the file system cannot make one, a hidden
//   part file) and becomes the blob, durably (fsync, then linked into place), only with the
//   portion that carries the last flag; a write that is abandoned (20, a new open refused, a
//   failure, the session's end, a killed server) leaves nothing behind;
//   a read returns at most the capacity asked for;
//   a served file (Serve: the dictionary) opens by its name for reading and sizing only: 20 on it
//   is refused and leaves it in place.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zor::appserver {

class BlobTransfer {
public:
    explicit BlobTransfer(std::string folder) : m_folder(std::move(folder)) {}
    ~BlobTransfer() { Abandon(); }
    BlobTransfer(const BlobTransfer&) = delete;
    BlobTransfer& operator=(const BlobTransfer&) = delete;

    // Statuses as the replies carry them.
    int32_t Open(const std::string& serverName, std::string& nameOut, int32_t& total);
    int32_t Write(const unsigned char* data, size_t n, bool last);
    int32_t Read(int32_t capacity, std::vector<unsigned char>& out, bool& last);
    int32_t EndWrite();  // 20: abandons a write, deletes an opened blob
    int32_t EndRead();   // 21
    void Abandon();
    bool Active() const { return m_mode != Mode::None; }
    bool Writing() const { return m_mode == Mode::Writing; }
    // A blob of the folder opened by name (not a served file).
    bool OpenedBlob() const { return m_mode == Mode::Opened && !m_servedOpen; }
    // The name of the blob being written or opened.
    const std::string& Name() const { return m_name; }
    bool IsServed(const std::string& name) const { return m_served.count(name) > 0; }
    static bool ValidName(const std::string& name);
    // The folder of a database's blobs, and whether a blob of that name is kept there.
    static std::string FolderOf(const std::string& databasePath) { return databasePath + ".blobs"; }
    static bool Exists(const std::string& folder, const std::string& name);
    // Makes the file at `path` readable under `serverName`.
    void Serve(const std::string& serverName, const std::string& path) { m_served[serverName] = path; }

private:
    enum class Mode { None, Writing, Opened };
    std::string Path(const std::string& name) const { return m_folder + "/" + name; }
    std::string m_folder;
    Mode m_mode = Mode::None;
    std::string m_name;
    bool m_servedOpen = false;
    std::map<std::string, std::string> m_served;
    std::string m_part;
    int m_fd = -1;
    int64_t m_size = 0;
    int64_t m_pos = 0;
};

}  // namespace zor::appserver
