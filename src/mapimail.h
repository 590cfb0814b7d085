// SendFileByMail: hands one file to the user's mail program as the attachment of a new message.
#pragma once

#include <cstdint>
#include <string>

/// The subject used when none is given.
inline constexpr const char* kUnspecifiedSubject = "<Unspecified Subject>";

/// Builds a message with Subject (or "<Unspecified Subject>") and, when AttachmentPath is not
/// empty, one attachment of that file, and makes the send call; ShowDialog asks the mail program
/// to show its compose window. Returns the send call's result unchanged (0 when the message was
/// handed over), or 1 when no mail service is available. The file is only passed, never opened.
uint32_t SendFileByMail(const std::string& AttachmentPath, const std::string& Subject,
                        bool ShowDialog);
