#include "MoveSound.h"

#include <QGuiApplication>
#include <canberra.h>

namespace {

// The theme's sound for a message that came from someone else; the description is what the
// desktop shows for the sound in its mixer and history.
constexpr const char *EventId = "message";
constexpr const char *EventDescription = "Ход соперника";

} // namespace

TMoveSound::TMoveSound()
    : ApplicationName(QGuiApplication::applicationName().toUtf8()),
      ApplicationId(QGuiApplication::desktopFileName().toUtf8()) {
    Worker.setMaxThreadCount(1);
}

TMoveSound::~TMoveSound() {
    Worker.waitForDone();
    if (Context != nullptr)
        ca_context_destroy(Context);
}

void TMoveSound::Play() {
    if (Pending.exchange(true))
        return;
    Worker.start([this] { PlayOnWorker(); });
}

void TMoveSound::Prepare() {
    Worker.start([this] {
        if (OpenContext())
            ca_context_open(Context);
    });
}

// The context is made once and kept: the server connection and the decoded sound are reused.
bool TMoveSound::OpenContext() {
    if (Context != nullptr)
        return true;
    if (ca_context_create(&Context) != CA_SUCCESS) {
        Context = nullptr;
        return false;
    }
    ca_context_change_props(Context, CA_PROP_APPLICATION_NAME, ApplicationName.constData(),
                            nullptr);
    // The desktop file's name is the program's id and the name of its icon.
    if (!ApplicationId.isEmpty())
        ca_context_change_props(Context, CA_PROP_APPLICATION_ID, ApplicationId.constData(),
                                CA_PROP_APPLICATION_ICON_NAME, ApplicationId.constData(), nullptr);
    return true;
}

// A failure (no sound server, no theme) leaves silence; the next sound tries again.
void TMoveSound::PlayOnWorker() {
    Pending = false;
    if (OpenContext())
        ca_context_play(Context, 0, CA_PROP_EVENT_ID, EventId, CA_PROP_EVENT_DESCRIPTION,
                        EventDescription, nullptr);
}
