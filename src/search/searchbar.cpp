#include "search/searchbar.h"

#include "search/ui_searchbar.h"
#include "switchbtnwidget.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

SearchBar::SearchBar(QWidget* parent) : QWidget(parent), ui(new Ui::SearchBar)
{
    ui->setupUi(this);
    QMetaObject::connectSlotsByName(this);

    // Nothing to filter until the page has data.
    ui->btnOnlyShowDelete->setEnabled(false);
    ui->filterLineEdit->setEnabled(false);

    ui->clearSearchEditBtn->hide();
    ui->weChatcomboBox->hide();
    ui->weChatlabel->hide();

    connect(ui->btnOnlyShowDelete, &SwitchBtnWidget::clicked, this, &SearchBar::slotOnlyShowDelete);
    connect(ui->weChatcomboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &SearchBar::slotChangeWeChatCombox);
}

SearchBar::~SearchBar()
{
    delete ui;
}

void SearchBar::EnableAllTool(bool enable)
{
    ui->btnOnlyShowDelete->setEnabled(enable);
    ui->filterLineEdit->setEnabled(enable);
}

void SearchBar::ShowWechatComboBox(bool show)
{
    ui->weChatcomboBox->setVisible(show);
    ui->weChatlabel->setVisible(show);
}

void SearchBar::AddDataToComboBox(QStringList& names)
{
    ui->weChatcomboBox->clear();
    ui->weChatcomboBox->addItems(names);
}

void SearchBar::ClearSearchInfo()
{
    ui->filterLineEdit->setText(QString());
}

void SearchBar::slotOnlyShowDelete(bool onlyDeleted)
{
    emit signalOnlyShowDeletedItems(onlyDeleted);
}

void SearchBar::on_filterLineEdit_textChanged(const QString& text)
{
    ui->clearSearchEditBtn->setVisible(!text.isEmpty());
    emit signalfilterlineEditTextEdited(text);
}

void SearchBar::on_clearSearchEditBtn_clicked()
{
    ui->filterLineEdit->clear();
    ui->clearSearchEditBtn->hide();
}

void SearchBar::slotChangeWeChatCombox(int index)
{
    emit signalChangeWeChatCombox(index);
}
