#pragma once
// The search window over the bundled sample records.
#include "Views_Fixture.h"
#include "model/App_Paths.h"
#include "model/Code_Tables.h"
#include "model/Load_Records.h"
#include "model/Record_Description.h"
#include "model/Records_Table.h"
#include "search/Sorting.h"
#include "views/Grid_Widget.h"
#include "views/Search.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

struct Search_Window_Test : Sample_Data {
    static void SetUpTestSuite() {
        // The window finds Refs.dat and the manuals in the program's folder.
        Set_App_Path(QStringLiteral(SIFA_SAMPLE_DATA));
        Sample_Data::SetUpTestSuite();
        Current_Language.clear();
    }
    static void TearDownTestSuite() {
        Sample_Data::TearDownTestSuite();
        Set_App_Path(QString());
    }
    void SetUp() override {
        Set_App_Path(QStringLiteral(SIFA_SAMPLE_DATA));
        Build_Record_Description();
        Current_Language.clear();
        Load_Code_Tables();
        Sort_Keys = {0, 0, 0, 0};
    }
    void TearDown() override { w.reset(); }
    Search& Open(bool shown = false) {
        w = std::make_unique<Search>();
        if (shown) {
            w->show();
            QApplication::processEvents();
        }
        return *w;
    }
    // Criterion 1 switched on with a field, an operator and, if given, a value.
    void Criterion(const QString& field, const QString& oper, const char* text = nullptr) {
        w->Critere_Actif[1]->setChecked(true);
        Choose(w->Field[1], field);
        Choose(w->Oper[1], oper);
        if (text) w->txtFields[1]->setText(QString::fromUtf8(text));
    }
    // Selects the entry of a field or operator list by its text.
    static void Choose(QComboBox* list, const QString& text) {
        const int k = list->findText(text);
        ASSERT_GE(k, 0) << text.toStdString();
        list->setCurrentIndex(k);
    }
    static QStringList Entries(const QComboBox* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
        return out;
    }
    // Centre of a grid cell, in the twips the grid's mouse signals give.
    std::pair<int, int> Cell_Twips(int row, int col) const {
        const QRect r = w->Data->Cell_Rect(row, col);
        return {w->Data->X_Twips(r.center().x()), w->Data->Y_Twips(r.center().y())};
    }
    static int Records_With_Year() {
        const int year = Field_Number("Year");
        int n = 0;
        for (int r = 1; r <= Records_Table.Row_Upper(); ++r) n += Records_Table(r, year).isEmpty() ? 0 : 1;
        return n;
    }

    std::unique_ptr<Search> w;
};
