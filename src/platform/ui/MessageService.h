// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's message boxes: warning, error, information and confirmation, with
// one OK button or Yes and No. Windows call this service instead of QMessageBox so
// that tests can replace it with a scripted one and headless runs with a console one.
#include <QString>
#include <QStringList>
#include <deque>

class QWidget;

namespace varlime {

enum class MessageKind { Warning, Error, Information, Confirmation };
enum class MessageButtons { Ok, YesNo };

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows the message modally; true for OK or Yes, false for No.
    virtual bool show(MessageKind kind, const QString& text, MessageButtons buttons,
                      QWidget* parent = nullptr) = 0;

    bool warning(const QString& text, QWidget* parent = nullptr) {
        return show(MessageKind::Warning, text, MessageButtons::Ok, parent);
    }
    bool error(const QString& text, QWidget* parent = nullptr) {
        return show(MessageKind::Error, text, MessageButtons::Ok, parent);
    }
    bool information(const QString& text, QWidget* parent = nullptr) {
        return show(MessageKind::Information, text, MessageButtons::Ok, parent);
    }
    // Yes/No question; goes on only on Yes.
    bool confirm(const QString& text, QWidget* parent = nullptr) {
        return show(MessageKind::Confirmation, text, MessageButtons::YesNo, parent);
    }
};

// Real message boxes over QMessageBox.
class DialogMessageService : public MessageService {
public:
    bool show(MessageKind kind, const QString& text, MessageButtons buttons,
              QWidget* parent) override;
    // Texts of the answer buttons, in the program's language rather than the system's.
    QString oui = QStringLiteral("Oui");
    QString non = QStringLiteral("Non");
};

// For runs without a window: prints every message on standard error and answers
// Yes to every question (a headless rename is the run after a Yes).
class ConsoleMessageService : public MessageService {
public:
    bool show(MessageKind kind, const QString& text, MessageButtons buttons,
              QWidget* parent) override;
    // Texts shown so far, in order (the rename summary is printed from here).
    QStringList shown;
    bool quiet = false;
};

// For tests: records every message and answers from a queue (Yes when it is empty).
class ScriptedMessageService : public MessageService {
public:
    struct Entry {
        MessageKind kind;
        MessageButtons buttons;
        QString text;
    };
    bool show(MessageKind kind, const QString& text, MessageButtons buttons,
              QWidget* parent) override;
    void answer(bool yes) { answers.push_back(yes); }
    std::deque<bool> answers;
    std::vector<Entry> shown;
    QStringList texts() const;
};

} // namespace varlime
