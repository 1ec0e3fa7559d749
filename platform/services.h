#pragma once

// What the editors need from the desktop: message boxes and the file-open dialog. Editors
// reach them only through here, so tests can put a scripted double in their place.

#include <QString>

#include <optional>

class QWidget;

namespace platform {

enum class MessageKind {
    Notice,       // OK only, no icon
    OkCancelStop, // OK and Cancel, stop icon; only OK goes on
    YesNoStop,    // Yes and No, stop icon
};

enum class Answer { Ok, Cancel, Yes, No };

class Services {
public:
    virtual ~Services() = default;
    virtual Answer message(QWidget* owner, MessageKind kind, const QString& text) = 0;
    // An existing file chosen by the user (full path), or nothing on Cancel.
    virtual std::optional<QString> chooseExistingFile(QWidget* owner) = 0;
};

// The services in force: the desktop's, unless a test installed others.
Services& services();
// Installs other services (not owned); nullptr goes back to the desktop's.
void setServices(Services* replacement);

inline Answer Ask(QWidget* owner, MessageKind kind, const QString& text)
{
    return services().message(owner, kind, text);
}
inline void Notice(QWidget* owner, const QString& text)
{
    services().message(owner, MessageKind::Notice, text);
}

} // namespace platform
