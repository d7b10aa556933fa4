#include "designer/frame/command_table.h"

#include <algorithm>
#include <array>

namespace quillmark {
namespace {

using G = CommandGroup;

// Commands whose dialogs or printing are not in the program yet stay in the menus, disabled (Pending).
constexpr std::array kCommands = {
    CommandInfo{ID_FILE_NEW, "&Новый\tCtrl+N", "Создать новый отчет\nНовый", G::Always},
    CommandInfo{ID_FILE_OPEN, "&Открыть...\tCtrl+O", "Открыть существующий отчет или шаблон\nОткрыть", G::Always},
    CommandInfo{ID_FILE_CLOSE, "&Закрыть", "Закрыть отчет\nЗакрыть", G::Document},
    CommandInfo{ID_FILE_SAVE, "&Сохранить\tCtrl+S", "Сохранить отчет\nСохранить", G::Document},
    CommandInfo{ID_FILE_SAVE_AS, "Сохранить &как...", "Сохранить отчет под другим именем\nСохранить как", G::Document},
    CommandInfo{ID_FILE_PAGE_SETUP, "Настройка страницы...", "Размеры и поля страницы\nНастройка страницы", G::Document},
    CommandInfo{ID_FILE_PRINT_SETUP, "Настройка принтера...", "Выбор и настройка принтера\nНастройка принтера", G::Always},
    CommandInfo{ID_FILE_PRINT, "&Печать...\tCtrl+P", "Печать отчета\nПечать", G::Document},
    CommandInfo{ID_PRINT_DIRECT, "Печать отчета", "Печать отчета на принтер по умолчанию\nПечать отчета", G::Document},
    CommandInfo{ID_FILE_PRINT_PREVIEW, "Предварительный про&смотр", "Просмотр страниц перед печатью\nПросмотр", G::Document},
    CommandInfo{ID_EXPORT_PAGE, "Текущая страница...", "Экспортировать текущую страницу в файл\nЭкспорт страницы", G::Document},
    CommandInfo{ID_EXPORT_ALL, "Отчет целиком...", "Экспорт всех страниц отчета\nЭкспорт отчета", G::Document},
    CommandInfo{ID_COPY_PAGE_IMAGE, "Копировать изображение", "Копировать страницу в буфер обмена\nКопировать изображение", G::Document},
    CommandInfo{ID_FILE_SEND_MAIL, "&Отправить...", "Отправить отчет по почте\nОтправить", G::Document},
    CommandInfo{ID_APP_EXIT, "В&ыход", "Завершить работу\nВыход", G::Always},
    CommandInfo{ID_EDIT_COPY, "&Копировать\tCtrl+C", "Копировать выделенные эелементы в буфер обмена\nКопировать", G::Selection,
                {.order = 21}},
    CommandInfo{ID_EDIT_PASTE, "&Вставить\tCtrl+V", "Вставить элементы из буфера\nВставить", G::Edit,
                {.order = 22, .changesSheet = true}},
    CommandInfo{ID_SELECT_ALL, "Выделить все\tCtrl+A", "Выделить все элементы на текущей странице\nВыделить все", G::Document},
    CommandInfo{ID_PROPERTIES, "Свойства...", "Отобразить свойства объекта\nСвойства", G::Document},
    CommandInfo{ID_ALIGN_LEFT, "По левому краю", "Выронять по левому краю\nВыровнять по левому краю", G::Align},
    CommandInfo{ID_ALIGN_RIGHT, "По правому краю", "Выравнять элементы по правому краю\nВыровнять по правому краю", G::Align},
    CommandInfo{ID_ALIGN_TOP, "По верхнему краю", "Выравнять элементы по верхнему краю\nВыровнять по верхнему краю", G::Align},
    CommandInfo{ID_ALIGN_BOTTOM, "По нижнему краю", "Выравнять элементы по нижнему краю\nВыровнять по нижнему краю", G::Align},
    CommandInfo{ID_ALIGN_WIDTH, "По ширине", "Выравнять элементы по ширине\nОдинаковая ширина", G::Align},
    CommandInfo{ID_ALIGN_HEIGHT, "По высоте", "Выравнять элементы по высоте\nОдинаковая высота", G::Align},
    CommandInfo{ID_ALIGN_SIZE, "По высоте и ширине", "Выравнять элементы по высоте и ширине\nОдинаковый размер", G::Align},
    CommandInfo{ID_ALIGN_MM, "Выровнять", "Выровнять выбранные элементы с точность до мм.\nВыровнять до мм", G::Selection},
    CommandInfo{ID_FIX_ELEMENTS, "Зафиксировать", "Зафиксировать/Расфиксировать элемент\nЗафиксировать", G::Selection},
    // The element menus' fixing and rounding do what the two above do; only their rule is the menus'.
    CommandInfo{ID_ELEMENT_FIX, "Зафиксировать", "Зафиксировать/Расфиксировать элемент\nЗафиксировать", G::ElementMenu,
                {.order = 11, .changesSheet = true, .checkedText = "Расфиксировать"}},
    CommandInfo{ID_ELEMENT_ALIGN, "Выровнять", "Выровнять выбранные элементы с точность до мм.\nВыровнять до мм", G::ElementMenu,
                {.order = 12, .changesSheet = true}},
    CommandInfo{ID_ELEMENT_DELETE, "Удалить", "Удалить выделенные элементы\nУдалить", G::ElementMenu,
                {.order = 31, .changesSheet = true}},
    CommandInfo{ID_ELEMENT_PROPERTIES, "Свойства...", "Отобразить свойства объекта\nСвойства", G::ElementMenu, {.order = 41}},
    CommandInfo{ID_TEXT_BOLD, "Жирный", "Жирный\nЖирный", G::Selection},
    CommandInfo{ID_TEXT_ITALIC, "Курсив", "Курсив\nКурсив", G::Selection},
    CommandInfo{ID_TEXT_UNDERLINE, "Подчеркнутый", "Подчеркнутый\nПодчеркнутый", G::Selection},
    CommandInfo{ID_TEXT_LEFT, "Текст по левому краю", "По левому краю\nТекст по левому краю", G::Selection},
    CommandInfo{ID_TEXT_CENTER, "Текст по центру", "По центру\nТекст по центру", G::Selection},
    CommandInfo{ID_TEXT_RIGHT, "Текст по правому краю", "По правому краю\nТекст по правому краю", G::Selection},
    CommandInfo{ID_TEXT_HORIZONTAL, "Расположить горизонтально", "Расположить горизонтально\nГоризонтально", G::Selection},
    CommandInfo{ID_TEXT_VERTICAL, "Расположить вертикально", "Расположить вертикально\nВертикально", G::Selection},
    CommandInfo{ID_TEXT_FONT, "Шрифт...", "Выбрать шрифт\nШрифт", G::Selection},
    CommandInfo{ID_EDIT_TEXT, "Редактировать текст\tCtrl+T", "Редактировать текст\nТекст", G::Selection},
    CommandInfo{ID_EDIT_MODE, "Редактирование", "Переключить режим редактирования\nРедактирование", G::Document},
    CommandInfo{ID_NEW_SHEET, "Новый лист", "Добавить лист в отчет\nНовый лист", G::Edit},
    CommandInfo{ID_DUPLICATE_SHEET, "Дублировать страницу", "Дублировать страницу\nДублировать страницу", G::Document},
    CommandInfo{ID_TOOL_LINE, "Линия", "Нарисовать линию\nЛиния", G::Tool},
    CommandInfo{ID_TOOL_TEXT, "Прямоугольник с текстом", "Нарисовать прямоугольник с текстом\nТекст", G::Tool},
    CommandInfo{ID_TOOL_RECT, "Прямоугольник", "Нарисовать прямоугольник\nПрямоугольник", G::Tool},
    CommandInfo{ID_TOOL_TABLE, "Таблица", "Нарисовать таблицу\nТаблица", G::Tool},
    CommandInfo{ID_TOOL_PICTURE, "Рисунок", "Вставить рисунок\nРисунок", G::Tool},
    CommandInfo{ID_TOOL_CONTINUATION, "Продолжение таблицы", "Создать продолжение таблицы\nПродолжение таблицы", G::Tool},
    // The status-bar text keeps the spelling users of the program have always read there.
    CommandInfo{ID_TOOL_CONTENTS, "Содержание", "Содеражние\nСодержание", G::Tool},
    CommandInfo{ID_VIEW_FIT, "Страница целиком", "Показать страницу целиком\nСтраница целиком", G::Document},
    CommandInfo{ID_VIEW_1TO1, "Масштаб 1:1", "Показать в натуральную величину\nМасштаб 1:1", G::Document},
    CommandInfo{ID_THUMBNAILS, "Отображать эскизы", "Отображать эскизы\nЭскизы", G::Document},
    CommandInfo{ID_TOOL_ZOOM, "Масштаб", "Увеличить или уменьшить щелчком\nМасштаб", G::Tool},
    CommandInfo{ID_TOOL_ZOOM_RECT, "Увеличить область", "Увеличить выбранную область\nУвеличить область", G::Tool},
    CommandInfo{ID_TOOL_MOVE_SHEET, "Перемещение листа", "Перемещать лист мышью\nПеремещение листа", G::Tool},
    CommandInfo{ID_PAGE_FIRST, "Первая страница", "Перейти к первой странице\nПервая страница", G::Pages},
    CommandInfo{ID_PAGE_PREV, "Предыдущая страница", "Перейти к предыдущей странице\nПредыдущая страница", G::Pages},
    CommandInfo{ID_PAGE_NEXT, "Следующая страница", "Перейти к следующей странице\nСледующая страница", G::Pages},
    CommandInfo{ID_PAGE_LAST, "Последняя страница", "Перейти к последней странице\nПоследняя страница", G::Pages},
    CommandInfo{ID_BAR_MAIN, "Главная", "Показать или скрыть главную панель\nГлавная", G::Bar},
    CommandInfo{ID_BAR_FORMAT, "Панель форматирования", "Показать или скрыть панель форматирования\nФорматирование", G::Bar},
    CommandInfo{ID_BAR_ELEMENTS, "Панель элементов", "Показать или скрыть панель элементов\nЭлементы", G::Bar},
    CommandInfo{ID_BAR_ALIGN, "Панель выравнивания", "Показать или скрыть панель выравнивания\nВыравнивание", G::Bar},
    CommandInfo{ID_BAR_VIEW, "Панель просмотра", "Показать или скрыть панель просмотра\nПросмотр", G::Bar},
    CommandInfo{ID_BAR_PAGES, "Панель страниц", "Показать или скрыть панель страниц\nСтраницы", G::Bar},
    CommandInfo{ID_BAR_NAVIGATOR, "Панель &навигатора", "Показать или скрыть навигатор\nНавигатор", G::Bar},
    CommandInfo{ID_VIEW_STATUS_BAR, "&Строка состояния", "Показать или скрыть строку состояния\nСтрока состояния", G::Bar},
    CommandInfo{ID_MENU_XP_STYLE, "Меню в стиле XP", "Переключить стиль меню\nСтиль меню", G::Bar},
    CommandInfo{ID_DATA_SOURCE, "Источник данных...", "Поля источника данных и параметры отчета\nИсточник данных", G::Edit},
    CommandInfo{ID_USERS, "Настройка пользователей...", "Пользователи отчета и их права\nПользователи", G::Document},
    CommandInfo{ID_WORK_SETTINGS, "Настройка работы...", "Толщина линий, привязка и масштаб\nНастройка работы", G::Always},
    CommandInfo{ID_ADDIN_SETTINGS, "Настройка дополнений...", "Список модулей дополнений\nДополнения", G::Always},
    CommandInfo{ID_WINDOW_CASCADE, "&Каскадом", "Расположить окна каскадом\nКаскадом", G::Document},
    CommandInfo{ID_WINDOW_TILE, "&Мозаикой", "Расположить окна мозаикой\nМозаикой", G::Document},
    CommandInfo{ID_APP_ABOUT, "&О программе...", "Сведения о программе и ее версии\nО программе", G::Always},
};

bool BarVisible(int id, const CommandState& s) {
    switch (id) {
        case ID_BAR_MAIN: return s.mainBar;
        case ID_BAR_FORMAT: return s.formatBar;
        case ID_BAR_ELEMENTS: return s.elementBar;
        case ID_BAR_ALIGN: return s.alignBar;
        case ID_BAR_VIEW: return s.viewBar;
        case ID_BAR_PAGES: return s.pageBar;
        case ID_BAR_NAVIGATOR: return s.navigatorBar;
        case ID_VIEW_STATUS_BAR: return s.statusBar;
        case ID_MENU_XP_STYLE: return s.xpMenuStyle;
        default: return false;
    }
}

// The check of a command on the selection, from its first elements.
bool SelectionCheck(int id, const CommandState& s) {
    switch (id) {
        case ID_TEXT_BOLD: return s.bold;
        case ID_TEXT_ITALIC: return s.italic;
        case ID_TEXT_UNDERLINE: return s.underline;
        case ID_TEXT_LEFT: return (s.textAlign & 0x08) != 0;
        case ID_TEXT_CENTER: return (s.textAlign & 0x10) != 0;
        case ID_TEXT_RIGHT: return (s.textAlign & 0x20) != 0;
        case ID_TEXT_HORIZONTAL: return s.orientation == 0;
        case ID_TEXT_VERTICAL: return s.orientation == 1;
        case ID_FIX_ELEMENTS:
        case ID_ELEMENT_FIX: return s.fixed;
        default: return false;
    }
}

// Tools that change the sheet need edit mode; the viewing tools work on any shown sheet.
bool ToolChangesSheet(int id) {
    return id == ID_TOOL_LINE || id == ID_TOOL_TEXT || id == ID_TOOL_RECT || id == ID_TOOL_TABLE ||
           id == ID_TOOL_PICTURE || id == ID_TOOL_CONTINUATION || id == ID_TOOL_CONTENTS;
}

bool SheetShown(const CommandState& s) { return s.hasDocument && s.currentSheet >= 0 && s.currentSheet < s.sheetCount; }

std::string PromptPart(const CommandInfo& info, bool tip) {
    const std::string prompt = info.prompt;
    const size_t cut = prompt.find('\n');
    if (cut == std::string::npos) return tip ? std::string() : prompt;
    return tip ? prompt.substr(cut + 1) : prompt.substr(0, cut);
}

}  // namespace

std::span<const CommandInfo> AllCommands() { return kCommands; }

const CommandInfo* FindCommand(int id) {
    for (const CommandInfo& info : kCommands)
        if (info.id == id) return &info;
    return nullptr;
}

bool CommandCheckable(int id) {
    const CommandInfo* info = FindCommand(id);
    if (!info) return false;
    if (info->group == G::Bar || info->group == G::Tool) return true;
    switch (id) {
        case ID_EDIT_MODE: case ID_EDIT_PASTE: case ID_TEXT_BOLD: case ID_TEXT_ITALIC: case ID_TEXT_UNDERLINE:
        case ID_TEXT_LEFT: case ID_TEXT_CENTER: case ID_TEXT_RIGHT: case ID_TEXT_HORIZONTAL: case ID_TEXT_VERTICAL:
        case ID_FIX_ELEMENTS: case ID_THUMBNAILS: case ID_PROPERTIES:
            return true;
        default:
            return false;
    }
}

std::string CommandStatusText(const CommandInfo& info) { return PromptPart(info, false); }
std::string CommandToolTip(const CommandInfo& info) { return PromptPart(info, true); }

std::string CommandLabel(const CommandInfo& info) {
    const std::string text = info.menuText;
    std::string label;
    for (size_t i = 0; i < text.size() && text[i] != '\t'; ++i) {
        // "&&" is a drawn ampersand, a single '&' only marks the next letter.
        if (text[i] == '&' && (i + 1 >= text.size() || text[i + 1] != '&')) continue;
        if (text[i] == '&') ++i;
        label += text[i];
    }
    return label;
}

CommandStatus EvaluateCommand(int id, const CommandState& s) {
    const CommandInfo* info = FindCommand(id);
    if (!info) return {};
    const bool sheetShown = SheetShown(s);
    switch (info->group) {
        case G::Always: return {true, false};
        case G::Bar: return {true, BarVisible(id, s)};
        case G::Pending: return {};
        case G::Document:
            if (id == ID_FILE_SEND_MAIL) return {s.hasDocument && s.hasSavedPath && s.mailClient, false};
            if (id == ID_EDIT_MODE) return {s.hasDocument, s.hasDocument && s.editMode};
            // A file that is only looked at is never written back under its own name.
            if (id == ID_FILE_SAVE) return {s.hasDocument && !s.readOnly, false};
            if (id == ID_USERS) return {s.hasDocument && !s.readOnly && s.usersRight, false};
            // The next click chooses the element when nothing is selected: checked while that waits.
            if (id == ID_PROPERTIES)
                return {sheetShown && s.editRight && !s.readOnly, sheetShown && s.activeTool == ID_PROPERTIES};
            if (id == ID_THUMBNAILS) return {s.hasDocument, s.hasDocument && s.showPicture};
            if (id == ID_DUPLICATE_SHEET) return {s.hasDocument && s.sheetItemSelected && s.editMode, false};
            if (id == ID_VIEW_FIT || id == ID_VIEW_1TO1 || id == ID_SELECT_ALL) return {sheetShown, false};
            return {s.hasDocument, false};
        case G::Edit:
            if (!s.hasDocument || !s.editMode) return {};
            if (id == ID_EDIT_PASTE) return {sheetShown && s.clipboardHasElements, s.pasteArmed};
            return {true, false};
        case G::Selection: {
            const bool enabled = sheetShown && s.selectionCount > 0 && s.editRight;
            return {enabled, enabled && SelectionCheck(id, s)};
        }
        case G::Align: return {sheetShown && s.selectionCount >= 2 && s.editMode && s.editRight, false};
        case G::Tool: {
            const bool enabled = sheetShown && (s.editMode || !ToolChangesSheet(id));
            return {enabled, enabled && s.activeTool == id};
        }
        case G::ElementMenu: return EvaluateElementMenuCommand(id, s);
        case G::Pages:
            if (!sheetShown) return {};
            if (id == ID_PAGE_FIRST || id == ID_PAGE_PREV) return {s.currentSheet > 0, false};
            return {s.currentSheet + 1 < s.sheetCount, false};
    }
    return {};
}

CommandStatus EvaluateElementMenuCommand(int id, const CommandState& s) {
    const CommandInfo* info = FindCommand(id);
    if (!info || info->elementMenu.order == 0) return {};
    const bool selected = SheetShown(s) && s.selectionCount > 0;
    // The check shows as the entry's other text, in view mode too.
    return {selected && (!info->elementMenu.changesSheet || s.editMode), selected && SelectionCheck(id, s)};
}

bool InElementMenu(int id) {
    const CommandInfo* info = FindCommand(id);
    return info && info->elementMenu.order != 0;
}

std::vector<ContextMenuItem> ElementMenuItems(const CommandState& state) {
    std::vector<const CommandInfo*> placed;
    for (const CommandInfo& info : kCommands)
        if (info.elementMenu.order != 0) placed.push_back(&info);
    std::stable_sort(placed.begin(), placed.end(), [](const CommandInfo* a, const CommandInfo* b) {
        return a->elementMenu.order < b->elementMenu.order;
    });
    std::vector<ContextMenuItem> items;
    for (size_t i = 0; i < placed.size(); ++i) {
        const CommandInfo& info = *placed[i];
        if (i > 0 && placed[i - 1]->elementMenu.order / 10 != info.elementMenu.order / 10) items.push_back({});
        const CommandStatus status = EvaluateElementMenuCommand(info.id, state);
        const bool otherText = status.checked && info.elementMenu.checkedText;
        items.push_back({info.id, otherText ? info.elementMenu.checkedText : CommandLabel(info), status.enabled});
    }
    return items;
}

}  // namespace quillmark
