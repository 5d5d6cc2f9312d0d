/** @file TpluginWaitFrm.h ** The small window shown while a plug-in call takes long, with a
 ** Cancel button that ends the call. **/
#pragma once

#include "templates/pluginCall.h"

#include <QDialog>

class QLabel;
class QPushButton;

class TpluginWaitFrm : public QDialog, public TPluginWaitWindow
{
    Q_OBJECT
public:
    explicit TpluginWaitFrm(QWidget* parent = nullptr);

    void showWaiting(const QString& functionName, const std::function<void()>& cancel) override;
    void hideWaiting() override;

    QLabel* waitLabel = nullptr;
    QPushButton* cancelBtn = nullptr;

protected:
    void reject() override; ///< Esc and the close box cancel too

private:
    std::function<void()> m_cancel;
};
