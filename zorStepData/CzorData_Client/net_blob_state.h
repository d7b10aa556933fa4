#pragma once
// The blob side of the networked store: the server names of replaced blobs, deleted only once the
// instance naming their successor has been saved.
#include <string>
#include <utility>
#include <vector>

class CzorNetBlobState {
public:
    const std::vector<std::string>& PendingDeletions() const { return m_Pending; }
    void NoteReplaced(const std::string& name) { m_Pending.push_back(name); }
    // What is still to be deleted after an attempt.
    void KeepPending(std::vector<std::string> left) { m_Pending = std::move(left); }

private:
    std::vector<std::string> m_Pending;
};
