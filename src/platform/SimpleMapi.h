// The records and codes of Simple MAPI's send call, written from its published field lists.
#pragma once

#include <cstdint>

namespace platform {

struct MapiRecipDesc;

/// One attachment of a message.
struct MapiFileDesc {
    uint32_t ulReserved;
    uint32_t flFlags;
    uint32_t nPosition;  ///< 0xFFFFFFFF: no place in the body text
    const char* lpszPathName;
    const char* lpszFileName;
    void* lpFileType;
};

/// A message handed to the mail program.
struct MapiMessage {
    uint32_t ulReserved;
    const char* lpszSubject;
    const char* lpszNoteText;
    const char* lpszMessageType;
    const char* lpszDateReceived;
    const char* lpszConversationID;
    uint32_t flFlags;
    MapiRecipDesc* lpOriginator;
    uint32_t nRecipCount;
    MapiRecipDesc* lpRecips;
    uint32_t nFileCount;
    MapiFileDesc* lpFiles;
};

/// Send-call flag: let the mail program show its compose window.
inline constexpr uint32_t MAPI_DIALOG = 0x00000008;

/// Result codes of the send call.
inline constexpr uint32_t SUCCESS_SUCCESS = 0;
inline constexpr uint32_t MAPI_E_USER_ABORT = 1;  ///< also: no mail service available
inline constexpr uint32_t MAPI_E_FAILURE = 2;
inline constexpr uint32_t MAPI_E_ATTACHMENT_NOT_FOUND = 11;
inline constexpr uint32_t MAPI_E_NOT_SUPPORTED = 26;

}  // namespace platform
