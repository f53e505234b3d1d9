#pragma once

#include <QString>

// A modal message with an OK button only, captioned with the program's name, or a question
// answered with はい or いいえ.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    virtual void show(const QString &text) = 0;
    // True when the player answers はい; いいえ, Esc and closing the box are no.
    virtual bool ask(const QString &text) = 0;
};
