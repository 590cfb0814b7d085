// An error that escapes an event handler ends the program with a runtime error box.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QObject>
#include <new>
#include <stdexcept>

#include "support/ScriptedModal.h"
#include "ui/Application.h"

namespace {

class Throwing : public QObject {
public:
    explicit Throwing(bool memory) : memory_(memory) {}
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            if (memory_)
                throw std::bad_alloc();
            throw std::runtime_error("unexpected");
        }
        return QObject::event(e);
    }

private:
    bool memory_;
};

// Records the number of the runtime error box into a pipe instead of showing it.
class BoxToPipe final : public fixtures::ScriptedModal {
public:
    explicit BoxToPipe(int fd) : fd_(fd) {}
    void ShowRuntimeError(int code) override {
        if (write(fd_, &code, sizeof code) != sizeof code)
            _exit(1);
    }

private:
    int fd_;
};

struct Outcome {
    int exitCode = -1;
    int boxNumber = -1;
};

// Runs, in a child, an application whose event handler throws.
Outcome RunThrowingHandler(bool memory) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ui::Application application;
        BoxToPipe box(fds[1]);
        ui::InstallRuntimeErrorReport();
        Throwing target(memory);
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&target, &event);
        _exit(1);
    }
    close(fds[1]);
    Outcome outcome;
    if (read(fds[0], &outcome.boxNumber, sizeof outcome.boxNumber) != sizeof outcome.boxNumber)
        outcome.boxNumber = -1;
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

}  // namespace

TEST(UnhandledError, EndsTheProgramWithItsNumber) {
    const Outcome unexpected = RunThrowingHandler(false);
    EXPECT_EQ(unexpected.exitCode, 217);
    EXPECT_EQ(unexpected.boxNumber, 217);
    const Outcome memory = RunThrowingHandler(true);
    EXPECT_EQ(memory.exitCode, 203);
    EXPECT_EQ(memory.boxNumber, 203);
}
