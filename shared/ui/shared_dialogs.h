// The dialogs of the shared competition: where the server is ("Разместить на сервере..." and
// "Открыть с сервера..."), and a conflict (a record changed here and on another computer).
#pragma once

#include <QDialog>
#include <string>

#include "core/language.h"
#include "shared/mirror.h"

class QLineEdit;
class QSpinBox;
class QPushButton;
class QTableWidget;

namespace skarvel {

// Where the shared competition lives. No password: libpq takes it from the password file.
struct ServerAddress {
    std::string host = "localhost";
    int port = 5432;
    std::string database = "skarvel";
    std::string user;
    // The libpq connection string.
    std::string conninfo() const;
    // "user@host:port/database" for the title and messages.
    std::string describe() const;
};

class ServerAddressDialog : public QDialog {
    Q_OBJECT
  public:
    // `share`: the title of "Разместить на сервере...", else of "Открыть с сервера...".
    ServerAddressDialog(const ServerAddress& initial, bool share, const LanguageTable& lang,
                        QWidget* parent = nullptr);
    ServerAddress address() const;
    QLineEdit* host = nullptr;
    QSpinBox* port = nullptr;
    QLineEdit* database = nullptr;
    QLineEdit* user = nullptr;
};

// The user's answer to a conflict: keep this computer's version, or take the other's.
class ConflictDialog : public QDialog {
    Q_OBJECT
  public:
    ConflictDialog(const shared::Conflict& k, const LanguageTable& lang, QWidget* parent = nullptr);
    // Closed without an answer: the conflict is put again later.
    bool decided() const { return decided_; }
    bool keep_mine() const { return keep_mine_; }
    QTableWidget* table = nullptr;
    QPushButton* mine = nullptr;
    QPushButton* theirs = nullptr;

  private:
    bool decided_ = false;
    bool keep_mine_ = false;
};

// What a row of a conflict is, in the user's words ("участник 12 Иванов Пётр").
std::string conflict_subject(const shared::Conflict& k, const LanguageTable& lang);
// The differing fields of the two versions: field name, here, there (Windows-1251).
struct ConflictField {
    std::string name, mine, theirs;
    bool both_changed = false;
};
std::vector<ConflictField> conflict_fields(const shared::Conflict& k, const LanguageTable& lang);

}  // namespace skarvel
