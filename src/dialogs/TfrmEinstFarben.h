#pragma once

#include "settings/PanelStyle.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

// The panel colour dialog "Farben einstellen": font and background of the line-parameter dialog's two
// preview panels, each tried out on a preview of its own. Its texts are German in both languages.
//
// The two styles (GlobVar::ParameterPanelStyle and HandshakePanelStyle) are what the line-parameter
// dialog's panels look like. The dialog shows them each time it opens; only OK stores the previews
// back into them, Cancel and the close box leave them.
class TfrmEinstFarben final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmEinstFarben)

public:
    explicit TfrmEinstFarben(QWidget* parent = nullptr);

    void FormActivate();
    void btnFontClick();
    void btnFont1Click();
    void btnColorRearClick();
    void btnColorRear1Click();
    void BitBtnOKClick();
    void BitBtnCancelClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The font chooser and the colour chooser, loaded with the preview's look; a cancelled chooser
    // changes nothing.
    static void chooseFont(QLabel* preview);
    static void chooseBackground(QLabel* preview);

    QLabel *pnl1, *pnl2;
    QGroupBox *gboxTerminal, *gboxProtokoll;
    QPushButton *btnFont, *btnColorRear, *btnFont1, *btnColorRear1;
    QPushButton *BitBtnCancel, *BitBtnOK;
};

// A widget's look as a panel style: its font, its text colour and its background colour (the colours of
// its palette's foreground and background roles).
PanelStyle panelStyleOf(const QWidget* panel);

// Gives a widget a panel style through its font and its palette; the widget fills its background.
void applyPanelStyle(QWidget* panel, const PanelStyle& style);
