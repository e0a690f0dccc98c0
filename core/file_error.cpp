#include "core/file_error.h"

#include <cerrno>

#include "core/cp1251.h"

namespace skarvel {

std::string file_error_reason(const LanguageTable& lang, int error) {
    Txt id;
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            id = Txt::kFileErrNotFound;
            break;
        case EACCES:
        case EPERM:
            id = Txt::kFileErrAccess;
            break;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            id = Txt::kFileErrDiskFull;
            break;
        case EROFS:
            id = Txt::kFileErrReadOnly;
            break;
        case EISDIR:
            id = Txt::kFileErrIsFolder;
            break;
        case ENAMETOOLONG:
            id = Txt::kFileErrNameTooLong;
            break;
        case EBUSY:
        case ETXTBSY:
            id = Txt::kFileErrBusy;
            break;
        case EIO:
            id = Txt::kFileErrIo;
            break;
        default: {
            std::string text(lang.text(Txt::kFileErrOther));
            auto at = text.find("%d");
            if (at != std::string::npos) text.replace(at, 2, std::to_string(error));
            return text;
        }
    }
    return std::string(lang.text(id));
}

std::string file_error_message(const LanguageTable& lang, std::string_view what,
                               std::string_view utf8_path, int error) {
    std::string text(what);
    text += '\n';
    text += utf8_to_cp1251(utf8_path);
    text += ": ";
    text += file_error_reason(lang, error);
    return text;
}

}  // namespace skarvel
