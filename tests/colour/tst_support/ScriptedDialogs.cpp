/** @file ScriptedDialogs.cpp ** A dialogs service for tests. **/
#include "ScriptedDialogs.h"

ScriptedDialogs::ScriptedDialogs() : m_previous(pm::setDialogs(this)) { }

ScriptedDialogs::~ScriptedDialogs()
{
    pm::setDialogs(m_previous);
}

pm::Dialogs::Answer ScriptedDialogs::message(Kind kind, const QString& text, Buttons, const QString&)
{
    shown.append({ kind, text });
    return answers.isEmpty() ? Answer::Ok : answers.takeFirst();
}

QStringList ScriptedDialogs::openFiles(FileRequest&)
{
    return {};
}

QString ScriptedDialogs::saveFile(FileRequest&)
{
    return {};
}
