#pragma once
// The navigator's items: one object per tree item of the navigator, made by the navigator (CDocNavigator) as
// the document tells it what the report holds. A sheet item shows a sheet, a parameter item a report parameter, a contents item a table-of-contents
// node (with its child items). Each item object owns its tree item; the tree item carries the object's id
// (never its address), so that a stale or forged id finds nothing.
#include <memory>
#include <string>
#include <vector>

class QPoint;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class CReportSheet;
class CReportParam;
class CTableContent;
class CzorMenu;

namespace quillmark {

class CQuillmarkDoc;

// Item kinds.
enum NavigatorKind : int { kItemBase = 0, kItemSheet = 1, kItemContents = 2, kItemParam = 3 };

// Commands of the navigator's popup.
enum NavigatorCommand : int {
    ID_NAV_NEW_SHEET = 32771, ID_NAV_NEW_PARAM = 32832, ID_NAV_DELETE = 32837, ID_NAV_PROPERTIES = 32839,
};

// "TREE_VIEW_MENU", the first popup of the report library's menu 130, with the pictures of its toolbar 131:
// loaded into menu with delete and properties greyed unless enabled; the popup, or null.
CzorMenu* LoadNavigatorMenu(CzorMenu& menu, bool deleteEnabled, bool propertiesEnabled);
// The popup shown at a screen point; the chosen command, 0 for none.
int RunNavigatorMenu(const QPoint& globalPos, QWidget* parent, bool deleteEnabled, bool propertiesEnabled);

// The data role of a tree item holding its item object's id.
constexpr int kItemIdRole = 0x0100 + 7;  // Qt::UserRole + 7

class CNavigatorItem {
public:
    CNavigatorItem(int kind, CQuillmarkDoc* doc, QTreeWidget* tree);
    // Deletes the tree item (and so its children's tree items).
    virtual ~CNavigatorItem();
    CNavigatorItem(const CNavigatorItem&) = delete;
    CNavigatorItem& operator=(const CNavigatorItem&) = delete;

    // The item's text and images again from what it shows.
    virtual void Refresh() {}
    // The item's own context menu at a global point; the chosen command is acted on. The command, 0 for none.
    virtual int ShowContextMenu(const QPoint& globalPos, QWidget* parent);

    int Kind() const { return m_kind; }
    long long Id() const { return m_id; }
    CQuillmarkDoc* Document() const { return m_doc; }
    QTreeWidgetItem* TreeItem() const { return m_item; }
    QTreeWidget* Tree() const { return m_tree; }
    std::string Text() const;
    int Image() const { return m_image; }
    int SelectedImage() const { return m_selectedImage; }
    // The sheet a click on the item shows (sheet and contents items), else null.
    virtual CReportSheet* Sheet() const { return nullptr; }

protected:
    // Inserts the tree item last under parent (the root when null) with the text and images.
    bool InsertTreeItem(QTreeWidgetItem* parent, const std::string& text, int image, int selectedImage);
    void SetLabel(const std::string& text, int image, int selectedImage);

    int m_kind;
    long long m_id;
    CQuillmarkDoc* m_doc;
    QTreeWidget* m_tree;
    QTreeWidgetItem* m_item = nullptr;
    int m_image = -1;
    int m_selectedImage = -1;
};

class CSheetItem : public CNavigatorItem {
public:
    CSheetItem(CQuillmarkDoc* doc, QTreeWidget* tree) : CNavigatorItem(kItemSheet, doc, tree) {}
    // Last under parent (the root when null); false for a null sheet.
    bool Insert(CReportSheet* sheet, QTreeWidgetItem* parent = nullptr);
    void Refresh() override;
    int ShowContextMenu(const QPoint& globalPos, QWidget* parent) override;
    CReportSheet* Sheet() const override { return m_sheet; }

protected:
    CReportSheet* m_sheet = nullptr;
};

class CParamItem : public CNavigatorItem {
public:
    CParamItem(CQuillmarkDoc* doc, QTreeWidget* tree) : CNavigatorItem(kItemParam, doc, tree) {}
    bool Insert(CReportParam* param);
    void Refresh() override;
    int ShowContextMenu(const QPoint& globalPos, QWidget* parent) override;
    CReportParam* Param() const { return m_param; }

private:
    CReportParam* m_param = nullptr;
};

class CContentsItem : public CNavigatorItem {
public:
    CContentsItem(CQuillmarkDoc* doc, QTreeWidget* tree) : CNavigatorItem(kItemContents, doc, tree) {}
    ~CContentsItem() override;
    // The node's item last under parent, then an item per child node (or, for a leaf, per sheet).
    bool Fill(CTableContent* node, CReportSheet* sheet, QTreeWidgetItem* parent = nullptr);
    void Refresh() override;
    CReportSheet* Sheet() const override { return m_sheet; }
    CTableContent* Node() const { return m_node; }
    const std::vector<std::unique_ptr<CNavigatorItem>>& Children() const { return m_children; }
    // This item or one below it with that id, else null.
    CNavigatorItem* FindById(long long id);
    CNavigatorItem* FindByTreeItem(const QTreeWidgetItem* item);

private:
    CReportSheet* m_sheet = nullptr;
    CTableContent* m_node = nullptr;
    std::vector<std::unique_ptr<CNavigatorItem>> m_children;
};

// The navigator's order: negative when a goes first. By image; equal images: two sheet (or two contents)
// items by the number after "Лист"; then sheets and contents before the rest; then the texts, ignoring case.
int CompareNavigatorItems(const CNavigatorItem& a, const CNavigatorItem& b);

// The number a sheet name ends in: the leading characters that occur in "Лист" stripped, the rest read
// as a decimal integer (0 when there is none).
int SheetNameNumber(const std::string& name);

}  // namespace quillmark
