#include "windowsconsole.h"

#include <QLoggingCategory>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

Q_LOGGING_CATEGORY(lcConsole, "velorax.ui.console")

namespace winconsole {

namespace {

bool unconnected(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE ||
           GetFileType(handle) == FILE_TYPE_UNKNOWN;
}

// Reopens `stream` on the console and makes the new handle the standard one, which QProcess
// hands to the programs it starts.
void connectToConsole(std::FILE *stream, DWORD which)
{
    if (!std::freopen("CONOUT$", "w", stream)) {
        qCDebug(lcConsole) << "cannot open the console for output";
        return;
    }
    std::setvbuf(stream, nullptr, _IONBF, 0);
    SetStdHandle(which, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
}

} // namespace

void attachParentConsole()
{
    const bool output = unconnected(STD_OUTPUT_HANDLE);
    const bool error = unconnected(STD_ERROR_HANDLE);
    if (!output && !error)
        return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return; // started from Explorer, a shortcut or a launcher: nobody reads the answers
    if (output)
        connectToConsole(stdout, STD_OUTPUT_HANDLE);
    if (error)
        connectToConsole(stderr, STD_ERROR_HANDLE);
}

void logToRedirectedStandardError()
{
    if (!unconnected(STD_ERROR_HANDLE))
        qputenv("QT_FORCE_STDERR_LOGGING", "1");
}

bool writeIfConsole(std::FILE *stream, const QString &text, bool *written)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
        return false;
    std::fflush(stream);
    DWORD count = 0;
    *written =
        text.isEmpty() || (WriteConsoleW(handle, reinterpret_cast<const wchar_t *>(text.utf16()),
                                         DWORD(text.size()), &count, nullptr) &&
                           count == DWORD(text.size()));
    return true;
}

QString commandLine()
{
    return QString::fromWCharArray(GetCommandLineW());
}

} // namespace winconsole
