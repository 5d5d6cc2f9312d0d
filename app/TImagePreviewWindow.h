/** @file TImagePreviewWindow.h ** The floating "Image Preview" window: one picture, animated
 ** GIFs playing. **/
#pragma once

#include <QDockWidget>

class QLabel;
class QMovie;
class QScrollArea;

class TImagePreviewWindow : public QDockWidget
{
    Q_OBJECT
public:
    explicit TImagePreviewWindow(QWidget* parent = nullptr);

    /// Shows the picture and captions the window "name WxH". False (with the window left as it
    /// was and `error` set) when the file cannot be decoded.
    bool showPicture(const QString& fileName, QString* error = nullptr);
    QSize pictureSize() const { return m_size; }
    bool isAnimating() const;

signals:
    /// Its own close box was used (not a hide by the program).
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QScrollArea* m_scroll = nullptr;
    QLabel* previewImage = nullptr;
    QMovie* m_movie = nullptr;
    QSize m_size;
};
