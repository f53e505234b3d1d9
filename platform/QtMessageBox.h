#pragma once

#include "MessageBox.h"

class QWidget;

class QtMessageBox : public MessageBox
{
public:
    explicit QtMessageBox(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void show(const QString &text) override;
    bool ask(const QString &question) override;

private:
    QWidget *m_parent;
};
