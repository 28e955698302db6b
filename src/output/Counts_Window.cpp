#include "output/Counts_Window.h"

#include "model/Session.h"
#include "search/Result_Text.h"
#include "winsupport/Message_Service.h"
#include "winsupport/Window_Settings.h"
#include "winsupport/Window_Utils.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace {
constexpr int Longest_Bar_Label = 40;  // characters; longer labels end in "..."

bool French(const QString& lang) { return lang == QLatin1String("FR"); }

QString Bar_Label(const Value_Count& v, const QString& lang) {
    QString t = v.Code.isEmpty() ? Empty_Value_Label(lang) : v.Label.simplified();
    if (t.size() > Longest_Bar_Label) t = t.left(Longest_Bar_Label - 3) + QStringLiteral("...");
    return t;
}
}  // namespace

Counts_Window::Counts_Window(const Session& session, const Search_Results& results, QWidget* parent)
    : QDialog(parent), session_(session), results_(results) {
    setObjectName(QStringLiteral("Counts_Window"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);

    Field_List = new QComboBox(this);
    Field_List->setObjectName(QStringLiteral("Field_List"));
    field_label_ = new QLabel(this);
    field_label_->setBuddy(Field_List);
    By_Count = new QRadioButton(this);
    By_Label = new QRadioButton(this);
    By_Count->setChecked(true);
    Summary = new QLabel(this);
    Summary->setTextFormat(Qt::PlainText);

    Table = new QTableWidget(0, 3, this);
    Table->setObjectName(QStringLiteral("Table"));
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->verticalHeader()->hide();
    Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 6);
    Table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    Table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    Table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    Table->installEventFilter(this);

    chart_ = new QChart();
    chart_->legend()->hide();
    chart_->setAnimationOptions(QChart::NoAnimation);
    // Narrow margins: on a small screen every pixel of height is room for a bar.
    chart_->layout()->setContentsMargins(0, 0, 0, 0);
    chart_->setMargins(QMargins(6, 6, 6, 6));
    chart_->setBackgroundRoundness(0);
    Chart_View = new QChartView(chart_, this);
    Chart_View->setObjectName(QStringLiteral("Chart_View"));
    Chart_View->setRenderHint(QPainter::Antialiasing);
    Chart_View->setMinimumWidth(320);
    // A chart made lower or higher gets as many bars as it has room to label. Queued: the
    // chart is laying itself out when it tells.
    connect(
        chart_, &QChart::plotAreaChanged, this,
        [this] {
            if (!counts_.Rows.empty() && Bars_That_Fit() != bars_) Fill_Chart();
        },
        Qt::QueuedConnection);

    Copy_Button = new QPushButton(this);
    Save_Button = new QPushButton(this);
    Save_Chart_Button = new QPushButton(this);
    Close_Button = new QPushButton(this);
    for (QPushButton* b : {Copy_Button, Save_Button, Save_Chart_Button, Close_Button}) b->setAutoDefault(false);
    Close_Button->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(field_label_);
    top->addWidget(Field_List, 1);
    top->addSpacing(12);
    top->addWidget(By_Count);
    top->addWidget(By_Label);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(Table);
    split->addWidget(Chart_View);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setChildrenCollapsible(false);
    split->setSizes({380, 520});
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Copy_Button);
    buttons->addWidget(Save_Button);
    buttons->addWidget(Save_Chart_Button);
    buttons->addStretch(1);
    buttons->addWidget(Close_Button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Summary);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    resize(920, 700);  // room to label the 20 bars drawn at most; a small screen cuts it

    connect(Field_List, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(By_Count, &QRadioButton::toggled, this, [this] { Refresh(); });
    connect(Copy_Button, &QPushButton::clicked, this, &Counts_Window::Copy_Counts);
    connect(Save_Button, &QPushButton::clicked, this, &Counts_Window::Save_Counts);
    connect(Save_Chart_Button, &QPushButton::clicked, this, &Counts_Window::Save_Chart);
    connect(Close_Button, &QPushButton::clicked, this, &QDialog::close);
    Set_Texts();
}

void Counts_Window::Set_Texts() {
    field_label_->setText(tr("&Field:"));
    By_Count->setText(tr("By count"));
    By_Label->setText(tr("By label"));
    Copy_Button->setText(tr("Copy"));
    Save_Button->setText(tr("Save as CSV..."));
    Save_Chart_Button->setText(tr("Save Chart..."));
    Close_Button->setText(tr("Close"));
    Table->setAccessibleName(tr("Counts"));
    Chart_View->setAccessibleName(tr("Chart"));
    Chart_View->viewport()->setAccessibleName(tr("Chart"));
    if (!counts_.Field_Label.isEmpty()) setWindowTitle(App_Title() + tr(" Counts - ") + counts_.Field_Label);
    Add_Mnemonics(this);
}

void Counts_Window::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::LanguageChange && Close_Button) Set_Texts();
    if (e->type() == QEvent::PaletteChange && chart_) Fill_Chart();
}

Counts_Window::~Counts_Window() = default;

qint32 Counts_Window::Chosen_Field() const {
    return Field_List->currentIndex() >= 0 ? Field_List->currentData().toInt() : 0;
}

void Counts_Window::Fill_Field_List() {
    const qint32 keep = Chosen_Field();
    const QSignalBlocker block(Field_List);
    Field_List->clear();
    for (const Countable_Field& f : Countable_Fields(session_.Description(), session_.Language()))
        Field_List->addItem(f.Label, f.Field);
    const int k = Field_List->findData(keep);
    Field_List->setCurrentIndex(k >= 0 ? k : 0);
}

void Counts_Window::Show_Field(qint32 field) {
    Fill_Field_List();
    if (field > 0) {
        // A member of a group is counted with its group, listed under its first member.
        const std::vector<qint32> members = Counted_Fields(session_.Description(), field, session_.Language());
        for (int i = 0; i < Field_List->count(); ++i)
            if (std::find(members.begin(), members.end(), Field_List->itemData(i).toInt()) != members.end()) {
                const QSignalBlocker block(Field_List);
                Field_List->setCurrentIndex(i);
                break;
            }
    }
    Refresh();
}

void Counts_Window::Refresh() {
    if (lang_ != session_.Language()) {
        lang_ = session_.Language();
        Fill_Field_List();
    }
    counts_ = Count_Values(results_, Chosen_Field(), lang_,
                           By_Count->isChecked() ? Count_Order::By_Count : Count_Order::By_Label);
    setWindowTitle(App_Title() + tr(" Counts - ") + counts_.Field_Label);
    Summary->setText(
        French(lang_)
            ? QStringLiteral("%1 fiche(s) dans le résultat, %2 valeur(s)").arg(counts_.Records).arg(counts_.Rows.size())
            : QStringLiteral("%1 record(s) in the result, %2 value(s)").arg(counts_.Records).arg(counts_.Rows.size()));
    Fill_Table();
    Fill_Chart();
    const bool any = !counts_.Rows.empty();
    for (QPushButton* b : {Copy_Button, Save_Button, Save_Chart_Button}) b->setEnabled(any);
}

void Counts_Window::Fill_Table() {
    Table->setUpdatesEnabled(false);
    Table->clearContents();
    Table->setRowCount(static_cast<int>(counts_.Rows.size()));
    Table->setHorizontalHeaderLabels({counts_.Field_Label, Count_Heading(lang_), Share_Heading(lang_)});
    int r = 0;
    for (const Value_Count& v : counts_.Rows) {
        auto* label = new QTableWidgetItem(v.Code.isEmpty() ? Empty_Value_Label(lang_) : v.Label);
        if (v.Code.isEmpty()) {
            QFont f = label->font();
            f.setItalic(true);
            label->setFont(f);
        } else if (v.Code != v.Label) {
            label->setToolTip(v.Code);
        }
        auto* count = new QTableWidgetItem(QString::number(v.Count));
        auto* share = new QTableWidgetItem(Share_Text(v.Share, lang_));
        count->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        share->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Table->setItem(r, 0, label);
        Table->setItem(r, 1, count);
        Table->setItem(r, 2, share);
        ++r;
    }
    Table->setUpdatesEnabled(true);
}

int Counts_Window::Bars_That_Fit() const {
    const double plot = chart_->plotArea().height();
    if (plot <= 0) return Max_Bars;  // not laid out yet
    // The category axis gives a label the bar's share of the plot less 4 px above and
    // below, and draws "..." instead of a label taller than that; a bar's count beside
    // it needs the same height.
    const auto axes = chart_->axes(Qt::Vertical);
    const QFont font = axes.isEmpty() ? chart_->font() : axes.first()->labelsFont();
    const double band = QFontMetricsF(font).height() + 2 * 4 + 2;
    return std::clamp(static_cast<int>(plot / band), 2, static_cast<int>(Max_Bars));
}

void Counts_Window::Fill_Chart() {
    chart_->removeAllSeries();
    for (QAbstractAxis* a : chart_->axes()) {
        chart_->removeAxis(a);
        delete a;
    }
    chart_->setTitle(counts_.Field_Label);
    // The chart's own theme is light whatever the desktop's: the palette's colours instead.
    const QPalette& pal = palette();
    chart_->setBackgroundBrush(pal.brush(QPalette::Base));
    chart_->setTitleBrush(pal.brush(QPalette::Text));
    if (counts_.Rows.empty()) return;

    // The first values of the table's order, the rest as one bar; the top bar is the
    // table's first line.
    QStringList labels;
    QList<qreal> values;
    bars_ = Bars_That_Fit();
    const size_t bars = static_cast<size_t>(bars_);
    const size_t shown = std::min(counts_.Rows.size(), counts_.Rows.size() > bars ? bars - 1 : bars);
    for (size_t i = 0; i < shown; ++i) {
        QString label = Bar_Label(counts_.Rows[i], lang_);
        // Equal category names would share one bar.
        while (labels.contains(label)) label += QChar(0x200B);
        labels << label;
        values << counts_.Rows[i].Count;
    }
    if (shown < counts_.Rows.size()) {
        qint64 rest = 0;
        for (size_t i = shown; i < counts_.Rows.size(); ++i) rest += counts_.Rows[i].Count;
        const int others = static_cast<int>(counts_.Rows.size() - shown);
        labels << (French(lang_) ? QStringLiteral("%1 autres valeurs").arg(others)
                                 : QStringLiteral("%1 other values").arg(others));
        values << static_cast<qreal>(rest);
    }
    std::reverse(labels.begin(), labels.end());
    std::reverse(values.begin(), values.end());

    auto* set = new QBarSet(Count_Heading(lang_));
    set->append(values);
    // The counts sit beside their bars, on the chart's background.
    set->setLabelColor(pal.color(QPalette::Text));
    set->setColor(pal.color(QPalette::Highlight));
    set->setBorderColor(pal.color(QPalette::Highlight));
    auto* series = new QHorizontalBarSeries();
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    chart_->addSeries(series);
    auto* categories = new QBarCategoryAxis();
    categories->append(labels);
    chart_->addAxis(categories, Qt::AlignLeft);
    series->attachAxis(categories);
    auto* axis = new QValueAxis();
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->setRange(0, *std::max_element(values.begin(), values.end()) * 1.15);
    axis->applyNiceNumbers();
    chart_->addAxis(axis, Qt::AlignBottom);
    series->attachAxis(axis);
    for (QAbstractAxis* a : chart_->axes()) {
        a->setLabelsBrush(pal.brush(QPalette::Text));
        a->setLinePenColor(pal.color(QPalette::Mid));
        a->setGridLineColor(pal.color(QPalette::Midlight));
    }
}

void Counts_Window::Copy_Counts() { QGuiApplication::clipboard()->setText(Counts_Clip_Text(counts_, lang_)); }

void Counts_Window::Save_Counts() {
    const QString name = Show_Save_Dialog(
        this, tr("Save the counts"), QStringLiteral("Sifa_counts.csv"),
        {tr("CSV Files"), QStringLiteral("*.csv"), tr("All files"), QStringLiteral("*.*")}, QStringLiteral("Counts"));
    if (name.isEmpty()) return;
    const QString failure = Write_Output_File(name, Counts_Csv_Bytes(counts_, lang_));
    if (!failure.isEmpty()) Message_Box(failure, Msg_Buttons::OK, Msg_Icon::Exclamation, QString(), this);
}

void Counts_Window::Save_Chart() {
    const QString name =
        Show_Save_Dialog(this, tr("Save the chart"), QStringLiteral("Sifa_chart.png"),
                         {tr("PNG Images"), QStringLiteral("*.png"), tr("SVG Images"), QStringLiteral("*.svg")},
                         QStringLiteral("Chart"));
    if (name.isEmpty()) return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (name.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(Chart_View->size());
        svg.setViewBox(Chart_View->rect());
        svg.setTitle(counts_.Field_Label);
        QPainter p(&svg);
        Chart_View->render(&p);
    } else {
        Chart_View->grab().save(&buffer, "PNG");
    }
    const QString failure = Write_Output_File(name, bytes);
    if (!failure.isEmpty()) Message_Box(failure, Msg_Buttons::OK, Msg_Icon::Exclamation, QString(), this);
}

bool Counts_Window::eventFilter(QObject* watched, QEvent* e) {
    // Ctrl+C in the table copies the whole table, headings included.
    if (watched == Table && (e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(e)->matches(QKeySequence::Copy)) {
        e->accept();
        if (e->type() == QEvent::KeyPress) Copy_Counts();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

Counts_Window* Show_Counts_Window(const Session& session, const Search_Results& results, QWidget* owner, qint32 field) {
    auto* w = owner ? owner->findChild<Counts_Window*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!w) {
        w = new Counts_Window(session, results, owner);
        Remember_Window_Place(w);
    }
    w->Show_Field(field);
    w->show();
    w->raise();
    w->activateWindow();
    return w;
}

void Refresh_Counts_Window(QWidget* owner) {
    auto* w = owner ? owner->findChild<Counts_Window*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (w && w->isVisible()) w->Refresh();
}
