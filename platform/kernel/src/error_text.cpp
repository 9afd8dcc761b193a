// FormatMessage for the system's own texts: the English text of an error
// code, as the Windows message table words it.
#include <cstring>
#include <iterator>

#include "helm/kernel/error.h"

namespace {

struct ErrorText {
    DWORD code;
    const char* text;
};

// The codes this platform's layers give, by number (some are named only in
// the layers above), with the system's wording.
constexpr ErrorText kTexts[] = {
    {0, "The operation completed successfully."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {14, "Not enough memory resources are available to complete this operation."},
    {31, "A device attached to the system is not functioning."},
    {50, "The request is not supported."},
    {87, "The parameter is incorrect."},
    {122, "The data area passed to a system call is too small."},
    {170, "The requested resource is in use."},
    {995, "The I/O operation has been aborted because of either a thread exit or an application request."},
    {1167, "The device is not connected."},
    {1223, "The operation was canceled by the user."},
    {1400, "Invalid window handle."},
    {1460, "This operation returned because the timeout period expired."},
    {1812, "The specified image file did not contain a resource section."},
    {1813, "The specified resource type cannot be found in the image file."},
    {1814, "The specified resource name cannot be found in the image file."},
    {1815, "The specified resource language ID cannot be found in the image file."},
};

constexpr WORD kLangEnglish = 0x09;

}  // namespace

DWORD FormatMessage(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                    va_list* arguments)
{
    (void)source;
    (void)arguments;
    const DWORD known = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || (flags & ~known) != 0 || !buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (languageId != 0 && (languageId & 0x3FF) != kLangEnglish) {
        SetLastError(1815);  // ERROR_RESOURCE_LANG_NOT_FOUND
        return 0;
    }
    const ErrorText* found = nullptr;
    for (const ErrorText& entry : kTexts)
        if (entry.code == messageId)
            found = &entry;
    if (!found) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    // The table's texts end with CR LF, as Windows gives them.
    const size_t length = std::strlen(found->text) + 2;
    if (length + 1 > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buffer, found->text, length - 2);
    std::memcpy(buffer + length - 2, "\r\n", 3);
    return static_cast<DWORD>(length);
}
