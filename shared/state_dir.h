// This computer's own folder for a shared competition it joins: its id there (kept, so a
// computer that joins again is the same writer, and the finish lines it prepared stay its
// own) and its card journal. A folder is held by one program at a time (a lock on its "lock"
// file): a second window, or a headless reader, takes the next one and is a writer of its own.
#pragma once

#include <memory>
#include <string>

namespace skarvel::shared {

class StateDir {
  public:
    ~StateDir();
    StateDir(const StateDir&) = delete;
    StateDir& operator=(const StateDir&) = delete;

    // Claims the first free folder `root`/<competition id>/<prefix>-N; with `origin` given (a
    // competition just shared under it), a fresh folder that keeps that id. Null when no
    // folder can be made.
    static std::unique_ptr<StateDir> claim(const std::string& root,
                                           const std::string& competition_id,
                                           const std::string& prefix,
                                           const std::string& origin = {});
    // The user's data folder for them ($XDG_DATA_HOME/skarvel/shared, else
    // ~/.local/share/skarvel/shared).
    static std::string default_root();

    const std::string& path() const { return path_; }
    const std::string& origin() const { return origin_; }
    // The name the card journal goes beside ("<folder>/competition.wdb").
    std::string journal_base() const { return path_ + "/competition.wdb"; }

  private:
    StateDir() = default;
    std::string path_, origin_;
    int lock_fd_ = -1;
};

}  // namespace skarvel::shared
