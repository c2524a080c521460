#include "Control/ListsRegistration.h"
#include "Control/ScrollBarUI.h"
#include "Control/UIList.h"
#include "Control/UIListElement.h"
#include "Control/UIListHeader.h"
#include "Core/ControlFactory.h"
#include "Core/DialogBuilder.h"
#include "Core/WindowUIManager.h"
#include "../Core/PaintedRects.h"
#include "../Core/SkinTestData.h"
#include "../Core/TestWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace SkinUI;
using namespace SkinUI::Testing;

namespace {

ControlEvent Event(int type, int x = 0, int y = 0, WORD keyState = 0)
{
    ControlEvent event;
    event.Type = type;
    event.ptMouse = POINT{x, y};
    event.wKeyState = keyState;
    return event;
}

// Hands a control one mouse event at x, y, with the keys held (MK_CONTROL ...).
void Send(CControlUI* control, int type, int x = 0, int y = 0, WORD keyState = 0)
{
    ControlEvent event = Event(type, x, y, keyState);
    control->HandleEvent(event);
}

void Press(CControlUI* control, wchar_t key, WORD keyState = 0)
{
    ControlEvent event = Event(EVT_KEYDOWN, 0, 0, keyState);
    event.chKey = key;
    control->HandleEvent(event);
}

// Presses the key on the list and tells which row is selected then.
int SelectionAfter(CListUI* list, wchar_t key)
{
    Press(list, key);
    return list->GetCurSel();
}

// Turns the wheel over the list and tells which row is selected then.
int SelectionAfterRoll(CListUI* list, short delta)
{
    ControlEvent event = Event(EVT_SCROLLWHEEL);
    event.wParam = MAKEWPARAM(0, static_cast<WORD>(delta));
    list->HandleEvent(event);
    return list->GetCurSel();
}

IListItemUI* ItemAt(CListUI* list, int index)
{
    return static_cast<IListItemUI*>(list->GetItemAt(index)->GetInterface(L"ListItem"));
}

// Each column's left and right edge, as the list shares them out to its rows: "0-50 50-120".
std::string ColumnsText(CListUI* list)
{
    std::string text;
    const ListInfo* info = list->GetListInfo();
    for (int i = 0; i < info->columns; ++i)
        text += (i ? " " : "") + std::to_string(info->columnRects[i].left) + "-" +
                std::to_string(info->columnRects[i].right);
    return text;
}

class ListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterListsControls(*CControlFactory::GetInstance());
        manager.AddNotifier(&notes);
    }
    void TearDown() override
    {
        manager.RemoveNotifier(&notes);
        CWindowUIManager::Term();
    }

    // Builds a list of these attributes around the skin text inside it, attaches it and lays it out in a
    // 200 x 300 area.
    CListUI* Build(const std::wstring& listAttributes, const std::wstring& inside)
    {
        const std::wstring xml = L"<Window><List " + listAttributes + L">" + inside + L"</List></Window>";
        CDialogBuilder builder;
        CControlUI* root = builder.Create(xml.c_str(), nullptr, nullptr, &manager);
        if (!root) return nullptr;
        manager.AttachRootControl(root);
        root->SetPos(RECT{0, 0, 200, 300});
        return static_cast<CListUI*>(root->GetInterface(L"List"));
    }

    // A list of `rows` copies of one row element, given without its closing "/>".
    CListUI* ListOf(int rows, const std::wstring& row, const wchar_t* listAttributes)
    {
        std::wstring inside;
        for (int i = 0; i < rows; ++i) inside += row + L"/>";
        return Build(listAttributes, inside);
    }

    // Label rows 20 pixels high.
    CListUI* PlainList(int rows, const wchar_t* listAttributes = L"")
    {
        return ListOf(rows, L"<ListLabelElement text=\"row\" height=\"20\" ", listAttributes);
    }

    // The row that Return activates: the one the list holds as its current row; null when none.
    CControlUI* RowReturnActivates(CListUI* list)
    {
        const size_t before = notes.seen.size();
        Press(list, VK_RETURN);
        for (size_t i = before; i < notes.seen.size(); ++i)
            if (notes.seen[i].sType == L"itemactivate") return notes.seen[i].pSender;
        return nullptr;
    }

    int ItemSelects() const { return static_cast<int>(std::count_if(notes.seen.begin(), notes.seen.end(),
        [](const NotifyMessage& m) { return m.sType == L"itemselect"; })); }

    CWindowUIManager manager;
    NotifyRecorder notes;
};

TEST_F(ListTest, SkinBuildsListWithHeaderColumnsAndOwnedRows)
{
    CListUI* list = Build(L"", L"<ListHeader><ListHeaderItem text=\"A\" width=\"50\"/>"
        L"<ListHeaderItem text=\"B\" width=\"70\"/></ListHeader><ListLabelElement text=\"one\"/><ListTextElement/>"
        L"<ListContainerElement/>");
    ASSERT_NE(nullptr, list);
    ASSERT_EQ(3, list->GetCount());
    EXPECT_EQ(2, list->GetHeader()->GetCount());
    EXPECT_EQ("0-50 50-120", ColumnsText(list));
    for (int i = 0; i < 3; ++i) {
        IListItemUI* item = ItemAt(list, i);
        ASSERT_NE(nullptr, item);
        EXPECT_EQ(i, item->GetIndex());
        EXPECT_EQ(static_cast<IListOwnerUI*>(list), item->GetOwner());
    }
    EXPECT_STREQ(L"ListTextElementUI", list->GetItemAt(1)->GetClass());
    EXPECT_STREQ(L"ListContainerElementUI", list->GetItemAt(2)->GetClass());
}

TEST_F(ListTest, HeaderItemsAddedToTheListGoToTheHeaderAndColumnsStopAt32)
{
    CListUI* list = PlainList(1);
    ASSERT_NE(nullptr, list);
    for (int i = 0; i < 33; ++i) {
        auto* column = new CListHeaderItemUI();
        column->SetFixedWidth(5);
        ASSERT_TRUE(list->Add(column));
    }
    EXPECT_EQ(33, list->GetHeader()->GetCount());
    EXPECT_EQ(1, list->GetCount());
    EXPECT_EQ(32, list->GetListInfo()->columns);
    list->SetPos(RECT{0, 0, 200, 300});
    EXPECT_EQ(32, list->GetListInfo()->columns);
}

TEST_F(ListTest, FloatingExtrasOfTheListArePlacedByTheirOwnPosition)
{
    CListUI* list = Build(L"", L"<Label name=\"extra\" float=\"true\" pos=\"5,6,25,26\"/>"
        L"<ListLabelElement height=\"20\"/>");
    CControlUI* extra = manager.FindControl(L"extra");
    ASSERT_NE(nullptr, extra);
    EXPECT_EQ(1, list->GetCount());
    EXPECT_EQ(5, extra->GetPos().left);
    EXPECT_EQ(26, extra->GetPos().bottom);
    EXPECT_EQ(20, list->GetItemAt(0)->GetHeight());
}

TEST_F(ListTest, SelectionNotifiesOnChangeOnlyAndRejectsMissingRows)
{
    CListUI* list = PlainList(3);
    ASSERT_TRUE(list->SelectItem(1));
    EXPECT_EQ(1, list->GetCurSel());
    EXPECT_EQ(1, ItemSelects());
    EXPECT_TRUE(ItemAt(list, 1)->IsSelected());
    ASSERT_TRUE(list->SelectItem(1));
    EXPECT_EQ(1, ItemSelects());
    EXPECT_EQ(1, list->GetSelectItemCount());
    ASSERT_TRUE(list->SelectItem(2));
    EXPECT_FALSE(ItemAt(list, 1)->IsSelected());
    EXPECT_EQ(2, ItemSelects());
    EXPECT_FALSE(list->SelectItem(7));
    EXPECT_EQ(-1, list->GetCurSel());
    EXPECT_EQ(0, list->GetSelectItemCount());
    EXPECT_FALSE(ItemAt(list, 2)->IsSelected());
}

TEST_F(ListTest, ClickSelectsTheRowAndReportsItemClick)
{
    CListUI* list = PlainList(3);
    CControlUI* row = list->GetItemAt(2);
    const int rowY = row->GetPos().top + 2;
    Send(row, EVT_BUTTONDOWN, 5, rowY);
    Send(row, EVT_BUTTONUP, 5, rowY);
    EXPECT_EQ(2, list->GetCurSel());
    EXPECT_EQ(1, ItemSelects());
    EXPECT_EQ(1, notes.Count(L"itemclick", row));
    Send(row, EVT_DBLCLICK);
    EXPECT_EQ(1, notes.Count(L"itemactivate", row));

    // Ctrl toggles rows of multi-selection lists only: here the row stays marked as the list's selection.
    Send(row, EVT_BUTTONDOWN, 5, rowY, MK_CONTROL);
    EXPECT_TRUE(ItemAt(list, 2)->IsSelected());
    EXPECT_EQ(2, list->GetCurSel());
    Press(list, VK_RETURN);
    EXPECT_EQ(2, notes.Count(L"itemactivate", row));
    CControlUI* other = list->GetItemAt(0);
    Send(other, EVT_BUTTONDOWN, 5, other->GetPos().top + 2, MK_CONTROL);
    EXPECT_EQ(0, list->GetCurSel());
    EXPECT_EQ(1, list->GetSelectItemCount());
    EXPECT_FALSE(ItemAt(list, 2)->IsSelected());
    Send(row, EVT_BUTTONDOWN, 5, rowY);
    EXPECT_EQ(2, list->GetCurSel());
    EXPECT_EQ(3, ItemSelects()) << "every move of the selection is told";
}

TEST_F(ListTest, MultiSelectionNotifiesEveryAdditionAndCtrlClickDropsOneRow)
{
    CListUI* list = PlainList(4, L"multiselect=\"true\"");
    ASSERT_TRUE(list->IsMultiSelect());
    ASSERT_TRUE(list->SelectMultiItem(0));
    ASSERT_TRUE(list->SelectMultiItem(2));
    ASSERT_TRUE(list->SelectMultiItem(3));
    EXPECT_FALSE(list->SelectMultiItem(2));
    EXPECT_EQ(3, ItemSelects());
    EXPECT_EQ(3, list->GetSelectItemCount());
    EXPECT_EQ(2, list->GetNextSelItem(0));
    EXPECT_EQ(-1, list->GetNextSelItem(3));

    Send(list->GetItemAt(2), EVT_BUTTONDOWN, 1, 1, MK_CONTROL);
    EXPECT_EQ(2, list->GetSelectItemCount());
    EXPECT_EQ(3, list->GetNextSelItem(0));
    EXPECT_TRUE(ItemAt(list, 0)->IsSelected());
    EXPECT_FALSE(ItemAt(list, 2)->IsSelected());

    Press(list, L'A', MK_CONTROL);
    EXPECT_EQ(4, list->GetSelectItemCount());
    list->SetMultiSelect(false);
    EXPECT_EQ(0, list->GetSelectItemCount());
    EXPECT_FALSE(ItemAt(list, 3)->IsSelected());
}

TEST_F(ListTest, ArrowKeysStopAtTheEnds)
{
    CListUI* list = PlainList(3);
    EXPECT_EQ(-1, SelectionAfter(list, VK_DOWN));
    EXPECT_EQ(2, SelectionAfter(list, VK_END));
    EXPECT_EQ(2, SelectionAfter(list, VK_DOWN));
    list->SelectItem(1);
    EXPECT_EQ(0, SelectionAfter(list, VK_UP));
    EXPECT_EQ(0, SelectionAfter(list, VK_UP));
    EXPECT_EQ(1, SelectionAfter(list, VK_DOWN));
    EXPECT_EQ(0, SelectionAfter(list, VK_HOME));
}

TEST_F(ListTest, ArrowKeysGoToTheNearestRowThatCanTakeTheSelection)
{
    const struct {
        const char* name;
        void (*takeOut)(CControlUI*);
    } ways[] = {
        {"disabled", [](CControlUI* row) { row->SetEnabled(false); }},
        {"hidden", [](CControlUI* row) { row->SetVisible(false); }},
    };
    for (const auto& way : ways) {
        CListUI* list = PlainList(5);
        way.takeOut(list->GetItemAt(1));
        way.takeOut(list->GetItemAt(2));
        ASSERT_TRUE(list->SelectItem(0)) << way.name;
        EXPECT_EQ(3, SelectionAfter(list, VK_DOWN)) << way.name;
        EXPECT_EQ(0, SelectionAfter(list, VK_UP)) << way.name;
        EXPECT_TRUE(static_cast<CListLabelElementUI*>(list->GetItemAt(0))->IsSelected()) << way.name;
        // Nothing that can take it in that direction: the selection stays.
        way.takeOut(list->GetItemAt(0));
        way.takeOut(list->GetItemAt(4));
        ASSERT_TRUE(list->SelectItem(3)) << way.name;
        EXPECT_EQ(3, SelectionAfter(list, VK_UP)) << way.name;
        EXPECT_EQ(3, SelectionAfter(list, VK_DOWN)) << way.name;
        EXPECT_EQ(1, list->GetSelectItemCount()) << way.name;
        // Home and End stop at the outermost rows that can take the selection.
        list->GetItemAt(2)->SetEnabled(true);
        list->GetItemAt(2)->SetVisible(true);
        EXPECT_EQ(2, SelectionAfter(list, VK_HOME)) << way.name;
        EXPECT_EQ(3, SelectionAfter(list, VK_END)) << way.name;
        EXPECT_EQ(1, list->GetSelectItemCount()) << way.name;
    }
}

TEST_F(ListTest, ReturnOnADisabledContainerRowGoesToTheList)
{
    CListUI* list = Build(L"", L"<ListContainerElement name=\"first\" height=\"20\"/>"
        L"<ListContainerElement name=\"off\" height=\"20\"/>");
    ASSERT_TRUE(list->SelectItem(0));
    list->GetItemAt(1)->SetEnabled(false);
    Press(list->GetItemAt(1), VK_RETURN);
    // The list activates its current row, as it does for Return on a disabled label row.
    EXPECT_EQ(1, notes.Count(L"itemactivate", list->GetItemAt(0)));
    EXPECT_EQ(0, notes.Count(L"itemactivate", list->GetItemAt(1)));
    Send(list->GetItemAt(1), EVT_DBLCLICK, 5, 25);
    EXPECT_EQ(0, notes.Count(L"itemactivate", list->GetItemAt(1)));
}

TEST_F(ListTest, WheelMovesTheSelectionWithScrollSelectElseScrolls)
{
    CListUI* list = PlainList(30, L"vscrollbar=\"true\"");
    EXPECT_EQ(-1, SelectionAfterRoll(list, -120));
    EXPECT_GT(list->GetScrollPos().cy, 0);

    CListUI* selecting = PlainList(30, L"vscrollbar=\"true\" itemscrollselect=\"true\"");
    selecting->SelectItem(4);
    EXPECT_EQ(5, SelectionAfterRoll(selecting, -120));
    SelectionAfterRoll(selecting, 120);
    EXPECT_EQ(3, SelectionAfterRoll(selecting, 120));
    // Rows that cannot take the selection are passed over; past the last one that can, it stays.
    selecting->GetItemAt(2)->SetEnabled(false);
    EXPECT_EQ(1, SelectionAfterRoll(selecting, 120));
    selecting->GetItemAt(29)->SetEnabled(false);
    ASSERT_TRUE(selecting->SelectItem(28));
    EXPECT_EQ(28, SelectionAfterRoll(selecting, -120));
}

TEST_F(ListTest, SelectingARowBelowTheViewScrollsItIntoView)
{
    CListUI* list = PlainList(30, L"vscrollbar=\"true\" header=\"hidden\"");
    const RECT body = list->GetList()->GetPos();
    ASSERT_EQ(0, body.top);
    ASSERT_EQ(300, body.bottom);
    ASSERT_EQ(300, list->GetScrollRange().cy);
    // Rows are 20 high: a row below the view scrolls up to end at its bottom, one above scrolls down to start at
    // its top, one inside it (even ending on its last line) scrolls nothing.
    const struct {
        int row;
        int pos;
    } selections[] = {{20, 120}, {3, 60}, {5, 60}, {17, 60}, {18, 80}, {29, 300}, {0, 0}};
    for (const auto& selection : selections) {
        ASSERT_TRUE(list->SelectItem(selection.row));
        EXPECT_EQ(selection.pos, list->GetScrollPos().cy) << "row " << selection.row;
        EXPECT_EQ(selection.row * 20 - selection.pos, list->GetItemAt(selection.row)->GetPos().top) << "row " << selection.row;
    }
    // Below a 10-pixel inset and with 4 pixels between rows, the rows take 30 x 20 + 29 x 4 = 716 of 290.
    CListUI* spaced = PlainList(30, L"vscrollbar=\"true\" header=\"hidden\" inset=\"0,10,0,0\" childpadding=\"4\"");
    ASSERT_NE(nullptr, spaced);
    EXPECT_EQ(10, spaced->GetList()->GetPos().top);
    EXPECT_EQ(716 - 290, spaced->GetScrollRange().cy);
}

// Bringing the row into view notifies "scroll": a handler that takes rows out on the way, those before the
// row or the row itself, leaves the selection and its announcement naming the row where it is now.
TEST_F(ListTest, RowsTakenOutAsTheSelectionScrollsLeaveItsAnnouncementTrue)
{
    for (const int removed : {0, 20}) {
        SCOPED_TRACE(testing::Message() << "row " << removed << " taken out");
        notes.seen.clear();
        CListUI* list = PlainList(30, L"vscrollbar=\"true\" header=\"hidden\"");
        ASSERT_NE(nullptr, list);
        CControlUI* const asked = list->GetItemAt(20);
        CControlUI* const doomed = list->GetItemAt(removed);
        notes.onNotify = [&](NotifyMessage& msg) {
            if (msg.sType == L"scroll" && list->GetItemIndex(doomed) >= 0) list->Remove(doomed);
        };
        list->SelectItem(20);
        notes.onNotify = nullptr;
        ASSERT_EQ(29, list->GetCount());
        const int selected = list->GetCurSel();
        ASSERT_GE(selected, 0);
        EXPECT_TRUE(ItemAt(list, selected)->IsSelected());
        EXPECT_EQ(1, list->GetSelectItemCount());
        // One announcement, of the row selected at its present place.
        ASSERT_EQ(1, ItemSelects());
        for (const NotifyMessage& msg : notes.seen) {
            if (msg.sType != L"itemselect") continue;
            EXPECT_EQ(static_cast<WPARAM>(selected), msg.wParam);
        }
        // The row asked for, moved up by one; or, taken out itself, its neighbour in its place.
        const int expected = removed == 0 ? list->GetItemIndex(asked) : 20;
        EXPECT_EQ(expected, selected);
    }
}

// 30 rows of 20 pixels in a 300-pixel body: the view scrolls 0..300, a page is the body's 300 pixels, and a
// row chosen by a key is brought just inside the nearer edge. Rows of a fixed width stack like any others
// (only container rows tile), so they scroll the same, and so do label rows under a fixed-width container.
TEST_F(ListTest, KeysMoveTheSelectionAndScrollItIntoViewBothWays)
{
    const struct {
        const char* what;
        wchar_t key;
        int selected, scroll;
    } steps[] = {
        {"PageDown leaves the selection", VK_NEXT, 0, 300},
        {"PageUp", VK_PRIOR, 0, 0},
        {"End shows the last row at the bottom", VK_END, 29, 300},
        {"Up within the view", VK_UP, 28, 300},
        {"PageUp scrolls the selection out", VK_PRIOR, 28, 0},
        {"Up to a row below the view: its bottom at the bottom", VK_UP, 27, 260},
        {"Home back to the top", VK_HOME, 0, 0},
        {"Down within the view", VK_DOWN, 1, 0},
        {"PageDown scrolls the selection out", VK_NEXT, 1, 300},
        {"Down to a row above the view: its top at the top", VK_DOWN, 2, 40},
        {"Up scrolls back by one row", VK_UP, 1, 20},
        {"End", VK_END, 29, 300},
        {"Home", VK_HOME, 0, 0},
    };
    const std::wstring label = L"<ListLabelElement text=\"row\" height=\"20\" ";
    const struct {
        const char* what;
        std::wstring first, others;
    } lists[] = {
        {"rows: ", label, label},
        {"fixed-width rows: ", label + L"width=\"50\"", label + L"width=\"50\""},
        {"label rows under a container: ", L"<ListContainerElement width=\"50\" height=\"20\"", label},
    };
    for (const auto& rowKinds : lists) {
        std::wstring inside = rowKinds.first + L"/>";
        for (int i = 1; i < 30; ++i) inside += rowKinds.others + L"/>";
        CListUI* list = Build(L"header=\"hidden\" vscrollbar=\"true\"", inside);
        ASSERT_NE(nullptr, list);
        const std::string rows = rowKinds.what;
        ASSERT_EQ(300, list->GetList()->GetHeight()) << rows;
        EXPECT_EQ(300, list->GetScrollRange().cy) << rows;
        ASSERT_TRUE(list->SelectItem(0));
        for (const auto& step : steps) {
            Press(list, step.key);
            EXPECT_EQ(step.selected, list->GetCurSel()) << rows << step.what;
            EXPECT_EQ(step.scroll, list->GetScrollPos().cy) << rows << step.what;
            EXPECT_EQ(step.scroll, list->GetVerticalScrollBar()->GetScrollPos()) << rows << step.what;
            const int top = 20 * step.selected - step.scroll;
            EXPECT_EQ(top, list->GetItemAt(step.selected)->GetPos().top) << rows << step.what;
        }
        list->SetScrollPos(SIZE{0, 1000});
        EXPECT_EQ(280, list->GetItemAt(29)->GetPos().top) << rows << "scrolled to the end, the last row shows";
        EXPECT_EQ(300, list->GetItemAt(29)->GetPos().bottom) << rows;
    }
}

// A row without a height stretches over what the others leave of the 300 pixels, their paddings and the
// padding between rows included.
TEST_F(ListTest, StretchRowsTakeWhatTheOtherRowsLeave)
{
    const struct {
        const char* what;
        const wchar_t* rows;
        const wchar_t* attributes;
        const char* stretchRow;
    } cases[] = {
        {"a padded row", L"<ListLabelElement height=\"20\" padding=\"0,5,0,5\"/>", L"", "0,30,200,300"},
        {"two rows 4 apart", L"<ListLabelElement height=\"20\"/><ListLabelElement height=\"20\"/>",
         L"childpadding=\"4\"", "0,48,200,300"},
    };
    for (const auto& c : cases) {
        CListUI* list = Build(L"header=\"hidden\" " + std::wstring(c.attributes),
                              c.rows + std::wstring(L"<ListContainerElement/>"));
        ASSERT_NE(nullptr, list) << c.what;
        EXPECT_EQ(c.stretchRow, RectText(list->GetItemAt(list->GetCount() - 1)->GetPos())) << c.what;
    }
}

// Container rows of a fixed width do tile: three 50-pixel rows to a line of the 184 pixels beside the bar.
TEST_F(ListTest, FixedWidthContainerRowsTileAndScrollByTileLines)
{
    CListUI* list =
        ListOf(80, L"<ListContainerElement width=\"50\" height=\"20\"", L"header=\"hidden\" vscrollbar=\"true\"");
    ASSERT_NE(nullptr, list);
    // Four to a line would need 20 lines (400 of 300): the bar shows, and beside it three fit.
    EXPECT_EQ(240, list->GetScrollRange().cy) << "27 lines of 20 pixels in 300";
    EXPECT_EQ("50,520,100,540", RectText(list->GetItemAt(79)->GetPos())) << "line 27, second column";
    // Hidden rows take no tile: the others close up from the top and the view ends at the last line.
    for (int i = 0; i < 2; ++i) list->GetItemAt(i)->SetVisible(false);
    list->SetPos(RECT{0, 0, 200, 300});
    EXPECT_EQ("0,0,50,20", RectText(list->GetItemAt(2)->GetPos())) << "the first shown row out of view";
    EXPECT_EQ("100,500,150,520", RectText(list->GetItemAt(79)->GetPos()));
    EXPECT_EQ(220, list->GetScrollRange().cy) << "78 rows fill 26 lines of 20 pixels in 300, no more";
    for (int i = 0; i < 2; ++i) list->GetItemAt(i)->SetVisible(true);
    // Rows wider than the list stack: 20 rows of 20 pixels in 300.
    list = ListOf(20, L"<ListContainerElement width=\"250\" height=\"20\"", L"header=\"hidden\" vscrollbar=\"true\"");
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(100, list->GetScrollRange().cy);
}

TEST_F(ListTest, HidingOrRemovingTheSelectedRowMovesTheSelection)
{
    CListUI* list = PlainList(4);
    list->SelectItem(2);
    list->SetVisible(false);
    list->GetItemAt(2)->SetVisible(true);
    EXPECT_EQ(2, list->GetCurSel()) << "a row hidden only with its list keeps the selection";
    list->SetVisible(true);
    list->GetItemAt(2)->SetVisible(false);
    EXPECT_EQ(-1, list->GetCurSel());
    EXPECT_EQ(nullptr, RowReturnActivates(list));

    list->GetItemAt(2)->SetVisible(true);
    list->SelectItem(3);
    CControlUI* selected = list->GetItemAt(3);
    ASSERT_TRUE(list->Remove(list->GetItemAt(1)));
    EXPECT_EQ(3, list->GetCount());
    EXPECT_EQ(2, list->GetCurSel());
    EXPECT_EQ(selected, RowReturnActivates(list));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(i, ItemAt(list, i)->GetIndex());
    ASSERT_TRUE(list->Remove(list->GetItemAt(2)));
    EXPECT_EQ(1, list->GetCurSel());
    selected = list->GetItemAt(1);
    EXPECT_EQ(selected, RowReturnActivates(list));

    // Rows inserted before the selected row, or in its place, push it on.
    auto* inserted = new CListLabelElementUI();
    ASSERT_TRUE(list->AddAt(inserted, 0));
    EXPECT_EQ(2, list->GetCurSel());
    for (int i = 0; i < list->GetCount(); ++i) EXPECT_EQ(i, ItemAt(list, i)->GetIndex());
    ASSERT_TRUE(list->AddAt(new CListLabelElementUI(), 2));
    EXPECT_EQ(3, list->GetCurSel());
    EXPECT_EQ(selected, RowReturnActivates(list));
    // Moved, the selected row keeps the selection at its new place.
    ASSERT_TRUE(list->SetItemIndex(selected, 0));
    EXPECT_EQ(0, list->GetCurSel());
    EXPECT_EQ(selected, RowReturnActivates(list));
    list->RemoveAll();
    EXPECT_EQ(0, list->GetCount());
    EXPECT_EQ(-1, list->GetCurSel());
    // Rows added later are not taken for the selection, nor are rows moved while none is selected.
    ASSERT_TRUE(list->Add(new CListLabelElementUI()));
    ASSERT_TRUE(list->Add(new CListLabelElementUI()));
    EXPECT_EQ(nullptr, RowReturnActivates(list));
    ASSERT_TRUE(list->SetItemIndex(list->GetItemAt(1), 0));
    EXPECT_EQ(nullptr, RowReturnActivates(list));
}

// A row that expands, as an application's own list item may.
class ExpandableRow : public CListLabelElementUI {
public:
    bool IsExpanded() const override { return expanded; }
    bool Expand(bool expand) override
    {
        expanded = expand;
        return true;
    }
    bool expanded = false;
};

TEST_F(ListTest, TheExpandedIndexFollowsItsRowWhenRowsAreInsertedOrMoved)
{
    CListUI* list = PlainList(3);
    auto* first = new ExpandableRow();
    auto* second = new ExpandableRow();
    ASSERT_TRUE(list->Add(first));
    ASSERT_TRUE(list->Add(second));
    ASSERT_TRUE(list->ExpandItem(3, true));
    ASSERT_TRUE(list->AddAt(new CListLabelElementUI(), 0));
    EXPECT_EQ(4, list->GetExpandedItem());
    ASSERT_TRUE(list->SetItemIndex(first, 1));
    EXPECT_EQ(1, list->GetExpandedItem());
    // Expanding another row folds the one that is expanded, wherever it went.
    ASSERT_TRUE(list->ExpandItem(list->GetItemIndex(second), true));
    EXPECT_FALSE(first->expanded);
    EXPECT_TRUE(second->expanded);
    EXPECT_EQ(5, list->GetExpandedItem());
    // Taken out, rows before it move it up, its own removal clears it; by index too, as a drop list does.
    EXPECT_FALSE(list->RemoveAt(99, false));
    ASSERT_TRUE(list->Remove(list->GetItemAt(0)));
    EXPECT_EQ(4, list->GetExpandedItem());
    ASSERT_TRUE(list->AddAt(new CListLabelElementUI(), 0));
    ASSERT_TRUE(list->RemoveAt(0, false));
    EXPECT_EQ(4, list->GetExpandedItem());
    ASSERT_TRUE(list->RemoveAt(4, false));
    EXPECT_EQ(-1, list->GetExpandedItem());
}

TEST_F(ListTest, SelectedAttributeSelectsWhateverItsValue)
{
    CListUI* list = Build(L"", L"<ListLabelElement/><ListLabelElement/>");
    auto* row = static_cast<CListLabelElementUI*>(list->GetItemAt(1));
    row->SetAttribute(L"selected", L"false");
    EXPECT_EQ(1, list->GetCurSel());
}

TEST_F(ListTest, AttributesFillTheSharedItemLook)
{
    CListUI* list = PlainList(1,
        L"itemalign=\"right\" itemvalign=\"bottom\" itemtextcolor=\"#FF112233\" itembkcolor=\"FF445566\" "
        L"itemtextpadding=\"1,2,3,4\" itemaltbk=\"true\" itemrselected=\"true\" MultiSelect=\"true\" "
        L"header=\"hidden\"");
    const ListInfo* info = list->GetListInfo();
    EXPECT_EQ(UINT(DT_RIGHT | DT_BOTTOM | DT_SINGLELINE), info->textStyle);
    EXPECT_EQ(0xFF112233u, info->textColor);
    EXPECT_EQ(0xFF445566u, info->bkColor);
    EXPECT_EQ(4, info->textPadding.bottom);
    EXPECT_TRUE(info->alternateBk);
    EXPECT_TRUE(info->rightButtonSelects);
    // Compared exactly: a differently written name is not taken.
    EXPECT_FALSE(list->IsMultiSelect());
    EXPECT_FALSE(list->GetHeader()->IsVisible());
}

class ListRepaintTest : public WindowTest {};

TEST_F(ListRepaintTest, ChangesToTheItemLookAskTheWindowToRepaint)
{
    RegisterListsControls(*CControlFactory::GetInstance());
    const std::pair<const wchar_t*, const wchar_t*> changes[] = {
        {L"itemtextcolor", L"#FF123456"},  {L"itembkimage", L"a.png"},     {L"itemaltbk", L"true"},
        {L"itemrowlineheight", L"3"},      {L"itemcolumnlinewidth", L"2"}, {L"fixedscrollbar", L"true"},
    };
    for (const auto& change : changes)
        EXPECT_TRUE(AttributeAsksForRepaint(new CListUI(), change.first, change.second))
            << std::string(change.first, change.first + wcslen(change.first));
}

TEST_F(ListTest, PercentageHeaderSharesItsWidth)
{
    CListUI* list = Build(L"", L"<ListHeader percentageheader=\"true\"><ListHeaderItem percent=\"30\"/>"
        L"<ListHeaderItem percent=\"70\"/></ListHeader>");
    ASSERT_NE(nullptr, list);
    EXPECT_EQ("0-60 60-200", ColumnsText(list));
}

TEST_F(ListTest, PlainHeaderItemsTakeTheHeaderHeightAndRowsStartBelowIt)
{
    CListUI* list = Build(L"", L"<ListHeader height=\"24\" inset=\"0,2,0,2\">"
        L"<ListHeaderItem text=\"A\" width=\"50\"/><ListHeaderItem text=\"B\" width=\"60\" padding=\"0,1,0,1\"/>"
        L"</ListHeader><ListLabelElement height=\"20\"/>");
    ASSERT_NE(nullptr, list);
    const RECT header = list->GetHeader()->GetPos();
    EXPECT_EQ(24, header.bottom - header.top);
    EXPECT_EQ(20, list->GetHeader()->GetItemAt(0)->GetHeight());
    EXPECT_EQ(18, list->GetHeader()->GetItemAt(1)->GetHeight());
    EXPECT_EQ(50, list->GetHeader()->GetItemAt(0)->GetWidth());
    EXPECT_EQ(header.bottom - 2, list->GetHeader()->GetItemAt(0)->GetPos().bottom);
    EXPECT_LE(header.bottom, list->GetItemAt(0)->GetPos().top);
}

TEST_F(ListTest, RowLimitsLetTheMaximumWinAndHugePercentagesStayInRange)
{
    CListUI* list = Build(L"", L"<ListHeader percentageheader=\"true\"><ListHeaderItem percent=\"15000000\"/>"
        L"</ListHeader><ListLabelElement height=\"20\" minheight=\"50\" maxheight=\"40\"/>");
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(40, list->GetItemAt(0)->GetHeight());
    EXPECT_EQ(9999, list->GetHeader()->GetItemAt(0)->GetWidth());
}

TEST_F(ListTest, HiddenHeaderStillGivesColumnPositions)
{
    CListUI* list = Build(L"header=\"hidden\"", L"<ListHeaderItem width=\"40\"/><ListHeaderItem width=\"60\"/>"
        L"<ListLabelElement height=\"20\"/>");
    EXPECT_EQ("0-40 40-100", ColumnsText(list));
    EXPECT_FALSE(list->GetHeader()->GetItemAt(0)->IsVisible());
    EXPECT_EQ(0, list->GetItemAt(0)->GetPos().top);
    // Moved, the list moves itself: its header, hidden or not, and its body sit in it and follow it.
    list->Move(SIZE{10, 5}, false);
    EXPECT_EQ(10, list->GetFixedXY().cx);
    EXPECT_EQ(0, list->GetHeader()->GetFixedXY().cx);
    EXPECT_EQ(0, list->GetHeader()->GetFixedXY().cy);
    EXPECT_EQ(0, list->GetList()->GetFixedXY().cx);
}

TEST_F(ListTest, AFloatingHeaderItemGivesNoColumn)
{
    CListUI* list = Build(L"", L"<ListHeader><ListHeaderItem width=\"40\"/>"
        L"<ListHeaderItem float=\"true\" pos=\"100,0,130,20\"/></ListHeader>");
    EXPECT_EQ("0-40 0-0", ColumnsText(list));
    EXPECT_EQ("0,0,0,0", RectText(list->GetListInfo()->columnRects[1]));
}

TEST_F(ListTest, HeaderItemClickAndSeparatorDrag)
{
    CListUI* list = Build(L"", L"<ListHeader height=\"24\"><ListHeaderItem width=\"50\" sepwidth=\"2\"/>"
        L"<ListHeaderItem width=\"60\" sepwidth=\"-4\"/></ListHeader><ListLabelElement/>");
    auto* first = static_cast<CListHeaderItemUI*>(list->GetHeader()->GetItemAt(0));
    auto* second = static_cast<CListHeaderItemUI*>(list->GetHeader()->GetItemAt(1));
    const RECT thumb = second->GetThumbRect();
    EXPECT_EQ(second->GetPos().left, thumb.left);
    EXPECT_EQ(4, thumb.right - thumb.left);
    EXPECT_EQ(first->GetPos().right, first->GetThumbRect().right);

    Send(first, EVT_BUTTONDOWN, 10, 10);
    EXPECT_EQ(1, notes.Count(L"headerclick", first));

    // Grab the right separator of the first column (within 4 pixels inside) and drag 30 to the right.
    Send(first, EVT_BUTTONDOWN, 46, 10);
    EXPECT_EQ(1, notes.Count(L"headerclick", first));
    Send(first, EVT_MOUSEMOVE, 76, 10);
    Send(first, EVT_BUTTONUP, 76, 10);
    list->SetPos(RECT{0, 0, 200, 300});
    EXPECT_EQ(80, first->GetWidth());
    EXPECT_EQ(80, list->GetListInfo()->columnRects[0].right);
}

TEST_F(ListTest, AHeaderPressEndedByAFocusLossLeavesNoPressedLookOrDrag)
{
    CListUI* list = Build(L"", L"<ListHeader height=\"24\"><ListHeaderItem width=\"50\" sepwidth=\"2\"/>"
        L"<ListHeaderItem width=\"60\"/></ListHeader><ListLabelElement/>");
    auto* first = static_cast<CListHeaderItemUI*>(list->GetHeader()->GetItemAt(0));
    Send(first, EVT_BUTTONDOWN, 10, 10);
    ASSERT_NE(0u, first->GetButtonState());
    Send(first, EVT_KILLFOCUS);
    EXPECT_EQ(0u, first->GetButtonState());
    Send(first, EVT_BUTTONDOWN, 46, 10);
    Send(first, EVT_MOUSEMOVE, 66, 10);
    Send(first, EVT_KILLFOCUS);
    EXPECT_EQ(0u, first->GetButtonState());
    Send(first, EVT_MOUSEMOVE, 96, 10);
    list->SetPos(RECT{0, 0, 200, 300});
    EXPECT_EQ(70, first->GetWidth()) << "the drag stops where the press ended";
}

TEST_F(ListTest, WideHeaderGivesRowsTheHeaderWidthAndAHorizontalBar)
{
    CListUI* list = Build(L"hscrollbar=\"true\"", L"<ListHeader><ListHeaderItem width=\"150\"/>"
        L"<ListHeaderItem width=\"150\"/></ListHeader><ListLabelElement height=\"20\"/>");
    const RECT row = list->GetItemAt(0)->GetPos();
    EXPECT_EQ(300, row.right - row.left);
    ASSERT_NE(nullptr, list->GetHorizontalScrollBar());
    EXPECT_TRUE(list->GetHorizontalScrollBar()->IsVisible());
    EXPECT_EQ(100, list->GetScrollRange().cx);
    list->SetScrollPos(SIZE{40, 0});
    EXPECT_EQ(-40, list->GetListInfo()->columnRects[0].left);
    EXPECT_EQ(-40, list->GetItemAt(0)->GetPos().left);
}

TEST_F(ListTest, ContainerRowsLineTheirChildrenUpWithTheColumns)
{
    CListUI* list = Build(L"", L"<ListHeader><ListHeaderItem width=\"40\"/><ListHeaderItem width=\"90\"/>"
        L"</ListHeader><ListContainerElement height=\"20\"><Label/><Label/></ListContainerElement>");
    auto* row = static_cast<CListContainerElementUI*>(list->GetItemAt(0));
    EXPECT_EQ(40, row->GetItemAt(1)->GetPos().left);
    EXPECT_EQ(130, row->GetItemAt(1)->GetPos().right);
}

TEST_F(ListTest, AlternateRowsLeaveOddRowsUnpainted)
{
    SkinZipScope zip;
    CListUI* list = PlainList(4, L"itemaltbk=\"true\" itembkcolor=\"#FF0000FF\"");
    Canvas canvas(200, 300, 0xFF000000);
    list->Paint(canvas.dc(), canvas.Bounds(), nullptr);
    for (int i = 0; i < 4; ++i) {
        const RECT rc = list->GetItemAt(i)->GetPos();
        const DWORD expected = i % 2 == 0 ? 0xFF0000FFu : 0xFF000000u;
        EXPECT_EQ(expected, canvas.At(150, rc.top + 1) | 0xFF000000u) << "row " << i;
    }
    list->SelectItem(1);
    list->Paint(canvas.dc(), canvas.Bounds(), nullptr);
    EXPECT_EQ(0xFFC1E3FFu, canvas.At(150, list->GetItemAt(1)->GetPos().top + 1) | 0xFF000000u);
}

class Cells : public IListCallbackUI {
public:
    const wchar_t* GetItemText(CControlUI*, int, int column) override
    {
        return column == 0 ? L"{a 1}x{/a}{a 2}x{/a}{a 3}x{/a}{a 4}x{/a}{a 5}x{/a}" : L"{a 6}y{/a}{a 7}y{/a}{a 8}y{/a}{a 9}y{/a}{a 10}y{/a}";
    }
};

TEST_F(ListTest, TextRowKeepsTheFirstEightLinksAndReportsClicksOnThem)
{
    SkinZipScope zip;
    CListUI* list = Build(L"itemshowhtml=\"true\"", L"<ListHeader><ListHeaderItem width=\"100\"/>"
        L"<ListHeaderItem width=\"100\"/></ListHeader><ListTextElement height=\"20\"/>");
    Cells cells;
    list->SetTextCallback(&cells);
    Canvas canvas(200, 300, 0xFFFFFFFF);
    list->Paint(canvas.dc(), canvas.Bounds(), nullptr);
    auto* row = static_cast<CListTextElementUI*>(list->GetItemAt(0));
    ASSERT_EQ(8, row->GetLinkCount());
    EXPECT_EQ(CUIString(L"8"), row->GetLinkText(7));
    EXPECT_EQ(6u, row->GetControlFlags());
    const RECT link = row->GetLinkRect(6);
    Send(row, EVT_BUTTONUP, (link.left + link.right) / 2, (link.top + link.bottom) / 2);
    ASSERT_EQ(1, notes.Count(L"link", row));
    EXPECT_EQ(6u, notes.seen.back().wParam);
}

TEST_F(ListTest, EachStateImageIsTriedUntilOneDraws)
{
    SkinZipScope zip;
    // The selected image cannot be drawn: the hot one is next in line.
    CListUI* list = PlainList(2, L"itemselectedimage=\"image/missing.png\" itemhotimage=\"image/quad.png\"");
    auto* row = static_cast<CListLabelElementUI*>(list->GetItemAt(0));
    ASSERT_TRUE(list->SelectItem(0));
    Send(row, EVT_MOUSEENTER, 5, 5);
    ASSERT_EQ(8u, row->GetButtonState() & 8u);
    Canvas canvas(200, 300, 0xFF000000);
    list->Paint(canvas.dc(), canvas.Bounds(), nullptr);
    const RECT rc = row->GetPos();
    EXPECT_EQ(0xFF0000u, canvas.Rgb(rc.left + 1, rc.top + 1));
}

}  // namespace
