// The mail service behind the send call: the freedesktop xdg-email command, which opens the
// user's mail program with a new message.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/SimpleMapi.h"

namespace platform {

/// The send call's signature: session, parent window, message, flags, reserved.
using SendMailCall =
    std::function<uint32_t(uintptr_t lhSession, uintptr_t ulUIParam, const MapiMessage* lpMessage,
                           uint32_t flFlags, uint32_t ulReserved)>;

/// Hands the message to the mail program. Whether there is one is decided once per run, at the
/// first call: an xdg-email on PATH. Without one every call returns 1 (MAPI_E_USER_ABORT). Else
/// runs "xdg-email --subject SUBJECT --attach PATH" (no shell) and returns SUCCESS_SUCCESS when
/// it exits 0 or is still busy after a few seconds (the mail program then has the message),
/// MAPI_E_NOT_SUPPORTED when it finds no mail program (exit 3), MAPI_E_ATTACHMENT_NOT_FOUND for
/// a missing file (exit 2), MAPI_E_FAILURE otherwise.
uint32_t MapiSendMail(uintptr_t lhSession, uintptr_t ulUIParam, const MapiMessage* lpMessage,
                      uint32_t flFlags, uint32_t ulReserved);

/// Runs while a send waits for xdg-email, so that the window keeps painting.
void SetMailWaitIdle(std::function<void()> idle);

/// Replaces the send call for tests (an empty function restores MapiSendMail).
void SetSendMailCallForTesting(SendMailCall call);
/// The send call in use.
[[nodiscard]] const SendMailCall& SendMail();
/// Forgets whether a mail service was found, for tests.
void ResetMailAvailabilityForTesting();

/// How long a send waits for xdg-email before taking the message as handed over.
inline constexpr int kMailWaitMs = 3000;

}  // namespace platform
