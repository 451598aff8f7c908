#pragma once

#include <QLineEdit>

namespace velmora {

// The chat entry line `mychat`. It starts with the placeholder as real
// text, which the first key press removes; Enter asks for the line to be
// sent and is swallowed; pastes (Ctrl+V or its one context-menu item) go at
// the end of the text. What the text becomes is the composer's business;
// this widget only applies it. Tab and Esc hand the keyboard to the table
// (the own hand) and leave the text alone.
class ChatEntry : public QLineEdit
{
    Q_OBJECT
public:
    explicit ChatEntry(QWidget *parent = nullptr);

    void pasteAtEnd();
    void insertSmiley(int code);
    void setTextColour(const QColor &colour);

signals:
    void enterPressed();
    // Tab or Esc: the keyboard goes to the hand.
    void leaveRequested();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void replaceText(const QString &text);
};

} // namespace velmora
