#pragma once

#include <QString>

// Modal messages captioned with the program's name.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    // A message with an OK button only.
    virtual void show(const QString &text) = 0;
    // A question with the buttons はい and いいえ; true for はい. Closing it without an answer
    // is いいえ: nothing happens that the player did not ask for.
    virtual bool ask(const QString &question) = 0;
};
