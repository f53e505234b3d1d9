#pragma once

#include <QString>

// A modal message with an OK button only, captioned with the program's name.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    virtual void show(const QString &text) = 0;
};
