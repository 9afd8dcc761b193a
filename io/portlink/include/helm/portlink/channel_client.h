// A client's view of one port's two blocks: open and close them, join and
// leave their subscriber lists, and reach the record a channel message
// names. Results: 1 success, 0 failure, unless said otherwise.
#pragma once

#include "helm/portlink/channel_memory.h"

extern "C" {

// Clears the handle and opens, in this order, the parsed mapping and its
// view, the parsed mutex, the raw mapping and its view, the raw mutex. A
// mutex that cannot be opened leaves its handle null and the call goes on; a
// mapping that is missing or smaller than a block fails with 0. What was
// opened before a failure stays in the handle for F_CloseSerialMMF.
int F_OpenSerialMMF(sMMF_CLIENT* handle, int port);

// Closes what F_OpenSerialMMF opened, parsed block first. 0 when all went
// well, else the last error code of a failed unmap or close.
int F_CloseSerialMMF(sMMF_CLIENT* handle);

// Mode 0 joins the parsed list, 1 the raw list, 2 both (parsed first; a
// parsed subscription stays when the raw one then fails). Each list is
// changed under its block's mutex, waited for up to 100 ms; a time-out or an
// abandoned mutex gives 0 and leaves that list unchanged. A full list (32
// threads) refuses with 0. A thread that joins twice is listed twice.
int F_ConnectThreadToMMF(sMMF_CLIENT* handle, DWORD threadId, int mode);

// Removes the first entry equal to `threadId` from the parsed list and from
// the raw list, each under its mutex; both lists are always visited. 0 when
// the parsed view is not open, a mutex was not obtained, or either list was
// empty; else 1.
int F_DisconnectThreadToMMF(sMMF_CLIENT* handle, DWORD threadId);

// The record at `offset` from the block's start (the lParam of the channel
// message) in the parsed or raw view, read in place. 0 and a null pointer
// when the view is not open, the offset lies outside the record area, or the
// record's length field runs past the view.
int F_GetParsedMMFData(sMMF_CLIENT* handle, LPARAM offset, BYTE** record);
int F_GetRawMMFData(sMMF_CLIENT* handle, LPARAM offset, BYTE** record);

}  // extern "C"

namespace helm::portlink {

// The block header behind a client's open view, or null.
sMMF_HEADER* parsed_header(const sMMF_CLIENT& handle);
sMMF_HEADER* raw_header(const sMMF_CLIENT& handle);

// Copies the text of the raw text record at `offset` of the parsed view
// into `out` (at most `size` - 1 bytes, NUL-terminated), after checking its
// magic, kind and lengths against the view. The text length, or -1 when
// the record is not a raw text record that lies whole in the view, or the
// text does not fit in `out`.
int read_raw_text(const sMMF_CLIENT& handle, LPARAM offset, char* out, size_t size);

}  // namespace helm::portlink
