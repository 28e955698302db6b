#pragma once
// The search window over the sample records, for the tests of its behaviour.
#include "Views_Fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include "model/App_Paths.h"
#include "views/Criteria_Rows.h"
#include "views/Result_View.h"
#include "views/Search_Window.h"
#include "views/Sort_Dialog.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Window_Utils.h"

// The search window over the sample records; it finds Code_Table.dat and the manuals in the program's folder.
struct Search_Window_Test : Sample_Data {
    std::unique_ptr<Search_Window> w;
    void SetUp() override {
        Set_App_Path(QStringLiteral(SIFA_SAMPLE_DATA));
        Use_Language("");
        session.Sort_Keys = {0, 0, 0, 0};
    }
    void TearDown() override {
        w.reset();
        Set_App_Path(QString());
    }
    Search_Window& Open(bool shown = false) {
        w = std::make_unique<Search_Window>(session);
        if (shown) {
            w->show();
            QApplication::processEvents();
        }
        return *w;
    }
    // Criterion 1 switched on with a field, an operator and, if given, a value.
    void Criterion(const QString& field, const QString& oper, const char* text = nullptr) {
        w->Rows->Active[1]->setChecked(true);
        Field_Chooser(w->Rows->Field[1], field);
        Field_Chooser(w->Rows->Operator[1], oper);
        if (text) w->Rows->Value_Text[1]->setText(QString::fromUtf8(text));
    }
    // The buttons and the count line under the result, by name.
    static QPushButton* Button(Search_Window& s, const char* name) {
        return s.findChild<QPushButton*>(QLatin1String(name));
    }
    static QString Count_Line(Search_Window& s) { return s.findChild<QLabel*>(QStringLiteral("Count_Line"))->text(); }
    // Selects the entry of a field or operator list by its text.
    static void Field_Chooser(QComboBox* list, const QString& text) {
        const int k = list->findText(text);
        ASSERT_GE(k, 0) << text.toStdString();
        list->setCurrentIndex(k);
    }
    // Centre of a cell of the result (row -1: its heading), in the view's pixels.
    QPoint Cell_Point(int row, int col) const {
        Result_View* v = w->Result_Grid;
        if (row < 0) {
            QHeaderView* h = v->horizontalHeader();
            return h->mapTo(v, QPoint(h->sectionViewportPosition(col) + h->sectionSize(col) / 2, h->height() / 2));
        }
        return v->viewport()->mapTo(v, v->Cell_Rect(row, col).center());
    }
};
