// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/ui/TranslateForm.h"
#include "platform/texteQt.h"

#include "i18n/uLocalization.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QVariant>

#include <functional>

namespace varlime {

namespace {

std::string utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

// The tab widget showing `w` as one of its pages, if any.
QTabWidget* tabOwner(QWidget* w) {
    QWidget* stack = w->parentWidget();
    if (!stack || !qobject_cast<QStackedWidget*>(stack))
        return nullptr;
    return qobject_cast<QTabWidget*>(stack->parentWidget());
}

// The radio buttons a group box holds as its items, in creation order.
QList<QRadioButton*> radioItems(QGroupBox* box) {
    return box->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
}

bool hasCaption(QObject* o) {
    if (qobject_cast<QAction*>(o) || qobject_cast<QMenu*>(o) || qobject_cast<QAbstractButton*>(o) ||
        qobject_cast<QLabel*>(o) || qobject_cast<QGroupBox*>(o) || qobject_cast<QDockWidget*>(o))
        return true;
    auto* w = qobject_cast<QWidget*>(o);
    return w && tabOwner(w);
}

QString captionOf(QObject* o) {
    if (auto* a = qobject_cast<QAction*>(o))
        return a->text();
    if (auto* m = qobject_cast<QMenu*>(o))
        return m->title();
    if (auto* b = qobject_cast<QAbstractButton*>(o))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(o))
        return l->text();
    if (auto* g = qobject_cast<QGroupBox*>(o))
        return g->title();
    if (auto* d = qobject_cast<QDockWidget*>(o))
        return d->windowTitle();
    if (auto* w = qobject_cast<QWidget*>(o))
        if (QTabWidget* tabs = tabOwner(w))
            return tabs->tabText(tabs->indexOf(w));
    return {};
}

void setCaption(QObject* o, const QString& text) {
    if (auto* a = qobject_cast<QAction*>(o))
        a->setText(text);
    else if (auto* m = qobject_cast<QMenu*>(o))
        m->setTitle(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(o))
        b->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(o))
        l->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(o))
        g->setTitle(text);
    else if (auto* d = qobject_cast<QDockWidget*>(o))
        d->setWindowTitle(text);
    else if (auto* w = qobject_cast<QWidget*>(o))
        if (QTabWidget* tabs = tabOwner(w))
            tabs->setTabText(tabs->indexOf(w), text);
}

bool isMultiLine(QObject* o) {
    return qobject_cast<QPlainTextEdit*>(o) || qobject_cast<QTextEdit*>(o);
}

QString multiLineText(QObject* o) {
    if (auto* p = qobject_cast<QPlainTextEdit*>(o))
        return p->toPlainText();
    if (auto* t = qobject_cast<QTextEdit*>(o))
        return t->toPlainText();
    return {};
}

void setMultiLineText(QObject* o, const QString& text) {
    if (auto* p = qobject_cast<QPlainTextEdit*>(o))
        p->setPlainText(text);
    else if (auto* t = qobject_cast<QTextEdit*>(o))
        t->setPlainText(text);
}

// Items of a combo box, a list, a radio group (a group box of radio buttons) or of any
// object with a string-list "items" property.
QStringList itemsOf(QObject* o) {
    QStringList out;
    if (auto* c = qobject_cast<QComboBox*>(o)) {
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
    } else if (auto* l = qobject_cast<QListWidget*>(o)) {
        for (int i = 0; i < l->count(); ++i)
            out << l->item(i)->text();
    } else if (auto* g = qobject_cast<QGroupBox*>(o)) {
        for (QRadioButton* r : radioItems(g))
            out << r->text();
    } else {
        const QVariant v = o->property("items");
        if (v.isValid() && v.canConvert<QStringList>())
            out = v.toStringList();
    }
    return out;
}

void setItem(QObject* o, int index, const QString& text) {
    if (auto* c = qobject_cast<QComboBox*>(o)) {
        c->setItemText(index, text);
    } else if (auto* l = qobject_cast<QListWidget*>(o)) {
        l->item(index)->setText(text);
    } else if (auto* g = qobject_cast<QGroupBox*>(o)) {
        const auto radios = radioItems(g);
        if (index < radios.size())
            radios[index]->setText(text);
    } else {
        QStringList items = o->property("items").toStringList();
        if (index < items.size()) {
            items[index] = text;
            o->setProperty("items", items);
        }
    }
}

bool hasToolTip(QObject* o) {
    return qobject_cast<QWidget*>(o) || qobject_cast<QAction*>(o);
}

QString toolTipOf(QObject* o) {
    if (auto* a = qobject_cast<QAction*>(o))
        return a->toolTip() == a->iconText() ? QString() : a->toolTip();
    if (auto* w = qobject_cast<QWidget*>(o))
        return w->toolTip();
    return {};
}

void setToolTip(QObject* o, const QString& text) {
    if (auto* a = qobject_cast<QAction*>(o))
        a->setToolTip(text);
    else if (auto* w = qobject_cast<QWidget*>(o))
        w->setToolTip(text);
}

// Every named object under `root`, depth first, each parent's children in creation
// order. Qt's own helper objects ("qt_...") are not the window's controls, and a
// dialog owned by the window is a window of its own, translated from its own section.
void visitNamed(QObject* root, const std::function<void(QObject*)>& visit) {
    for (QObject* child : root->children()) {
        if (auto* w = qobject_cast<QWidget*>(child); w && w->isWindow() && !qobject_cast<QMenu*>(w))
            continue;
        const QString name = child->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            visit(child);
        visitNamed(child, visit);
    }
}

} // namespace

QString formInstanceName(const QWidget* form) {
    return form->objectName();
}

QString formClassName(const QWidget* form) {
    QString name = QString::fromLatin1(form->metaObject()->className());
    const auto colons = name.lastIndexOf(QLatin1String("::"));
    return colons >= 0 ? name.mid(colons + 2) : name;
}

QString FormText::key() const {
    switch (kind) {
    case Kind::Title:
        return QStringLiteral("Caption");
    case Kind::Caption:
        return control + QStringLiteral(".Caption");
    case Kind::Text:
        return control + QStringLiteral(".Text");
    case Kind::Item:
        return control + QStringLiteral(".Items.") + QString::number(index);
    case Kind::Hint:
        return control + QStringLiteral(".Hint");
    }
    return {};
}

void TranslateForm(QWidget* form, Localization& localization, std::string_view languageFile) {
    if (!form)
        return;
    const std::optional<IniDocument> doc = languageFile.empty()
                                               ? localization.ActiveDocument()
                                               : localization.LoadLanguageFile(languageFile);
    if (!doc)
        return;
    const std::string instance = utf8(formInstanceName(form));
    std::string section;
    if (!instance.empty() && doc->hasSection(instance))
        section = instance;
    else if (doc->hasSection(utf8(formClassName(form))))
        section = utf8(formClassName(form));
    else
        return;

    // The title: "Caption", then "<window>.Caption", then "<window>".
    for (const std::string& key : {std::string("Caption"), instance + ".Caption", instance}) {
        if (key.empty() || key == ".Caption")
            continue;
        if (auto v = doc->value(section, key)) {
            form->setWindowTitle(qs(*v));
            break;
        }
    }

    visitNamed(form, [&](QObject* o) {
        const std::string name = utf8(o->objectName());
        std::string text;
        if (auto v = doc->value(section, name + ".Caption"))
            text = *v;
        else if (auto v2 = doc->value(section, name))
            text = *v2;
        if (isMultiLine(o)) {
            if (!text.empty())
                setMultiLineText(o, qs(replaceLineBreakMarks(text)));
            else if (auto t = doc->value(section, name + ".Text"))
                setMultiLineText(o, qs(replaceLineBreakMarks(*t)));
        } else if (!text.empty() && hasCaption(o)) {
            setCaption(o, qs(text));
        }
        if (hasToolTip(o))
            if (auto hint = doc->value(section, name + ".Hint"))
                setToolTip(o, qs(replaceLineBreakMarks(*hint)));
        const QStringList items = itemsOf(o);
        for (int i = 0; i < items.size(); ++i) {
            if (auto item = doc->value(section, name + ".Items." + std::to_string(i)))
                setItem(o, i, qs(replaceLineBreakMarks(*item)));
        }
    });
}

std::vector<FormText> translatableTexts(QWidget* form) {
    std::vector<FormText> out;
    if (!form)
        return out;
    if (!form->windowTitle().isEmpty())
        out.push_back({FormText::Kind::Title, {}, -1, form->windowTitle()});
    visitNamed(form, [&](QObject* o) {
        const QString name = o->objectName();
        if (isMultiLine(o)) {
            const QString t = multiLineText(o);
            if (!t.isEmpty())
                out.push_back({FormText::Kind::Text, name, -1, t});
        } else if (hasCaption(o)) {
            const QString c = captionOf(o);
            if (!c.isEmpty())
                out.push_back({FormText::Kind::Caption, name, -1, c});
        }
        if (hasToolTip(o)) {
            const QString tip = toolTipOf(o);
            if (!tip.isEmpty())
                out.push_back({FormText::Kind::Hint, name, -1, tip});
        }
        const QStringList items = itemsOf(o);
        for (int i = 0; i < items.size(); ++i)
            if (!items[i].isEmpty())
                out.push_back({FormText::Kind::Item, name, i, items[i]});
    });
    return out;
}

} // namespace varlime
