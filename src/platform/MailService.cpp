#include "platform/MailService.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/Process.h"

namespace platform {

namespace {

// The xdg-email found at the first send; an empty text when there was none.
std::optional<std::string> mailCommand;
std::function<void()> waitIdle;

SendMailCall& Call() {
    static SendMailCall call = MapiSendMail;
    return call;
}

uint32_t CodeForExit(int exitCode) {
    switch (exitCode) {
        case 0:
            return SUCCESS_SUCCESS;
        case 2:
            return MAPI_E_ATTACHMENT_NOT_FOUND;
        case 3:
            return MAPI_E_NOT_SUPPORTED;
        default:
            return MAPI_E_FAILURE;
    }
}

}  // namespace

uint32_t MapiSendMail(uintptr_t, uintptr_t, const MapiMessage* message, uint32_t, uint32_t) {
    if (!mailCommand)
        mailCommand = FindOnPath("xdg-email");
    if (mailCommand->empty())
        return MAPI_E_USER_ABORT;
    if (message == nullptr)
        return MAPI_E_FAILURE;

    std::vector<std::string> argv = {*mailCommand};
    if (message->lpszSubject != nullptr) {
        argv.push_back("--subject");
        argv.push_back(message->lpszSubject);
    }
    for (uint32_t i = 0; i < message->nFileCount && message->lpFiles != nullptr; ++i) {
        if (message->lpFiles[i].lpszPathName == nullptr)
            continue;
        argv.push_back("--attach");
        argv.push_back(message->lpFiles[i].lpszPathName);
    }
    int error = 0;
    const int pid = StartProcess(argv, &error);
    if (pid < 0)
        return MAPI_E_FAILURE;
    const std::optional<int> exitCode = WaitForExit(pid, kMailWaitMs, waitIdle);
    // Still running: xdg-email waits on a mail program it started, which has the message.
    return exitCode ? CodeForExit(*exitCode) : SUCCESS_SUCCESS;
}

void SetMailWaitIdle(std::function<void()> idle) {
    waitIdle = std::move(idle);
}

void SetSendMailCallForTesting(SendMailCall call) {
    Call() = call ? std::move(call) : SendMailCall(MapiSendMail);
}

const SendMailCall& SendMail() {
    return Call();
}

void ResetMailAvailabilityForTesting() {
    mailCommand.reset();
}

}  // namespace platform
