#include "engine/FileResult.h"

FileError fileErrorFor(std::error_code code)
{
    using E = FileError;
    if (code == std::errc::no_such_file_or_directory || code == std::errc::not_a_directory)
        return E::FolderMissing;
    if (code == std::errc::is_a_directory)
        return E::IsFolder;
    if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted)
        return E::AccessDenied;
    if (code == std::errc::read_only_file_system)
        return E::ReadOnly;
    if (code == std::errc::filename_too_long)
        return E::NameTooLong;
    if (code == std::errc::too_many_symbolic_link_levels)
        return E::SymlinkLoop;
    if (code == std::errc::no_space_on_device || code == std::errc::file_too_large)
        return E::NoSpace;
    if (code == std::errc::broken_pipe)   // the reader of a FIFO or pipe went away
        return E::NoReader;
    return E::Failed;
}

FileResult FileResult::fromSystemError(int systemError)
{
    if (systemError == 0)
        return fileFailure(FileError::Failed);
    const std::error_code code(systemError, std::generic_category());
    return fileFailure(fileErrorFor(code), QString::fromStdString(code.message()));
}
