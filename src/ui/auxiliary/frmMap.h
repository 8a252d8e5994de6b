// The map window: the installation's picture of its clock locations, stretched with the window.
#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;

class frmMap : public QWidget
{
    Q_OBJECT

public:
    // Looks for the picture in `folders`, in order (see DataFolders).
    explicit frmMap(const QStringList& folders, QWidget* parent = nullptr);

    QLabel* MapImage = nullptr;
    // Shown instead of the picture when it is missing or unreadable: which file, and where it was looked for.
    QLabel* MapMessage = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    static QSize screenRoom();
    void Form_Load(const QStringList& folders);
};

inline const QString kMapFileName = QStringLiteral("clientmap.jpg");
