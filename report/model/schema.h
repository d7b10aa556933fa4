#pragma once
// The report schema: one entity handle per entity and one attribute handle per attribute that the
// model reads and writes, looked up by name once when a store is attached. A name that the dictionary
// lacks leaves a null handle; the store then refuses every read and write through it.

class CzorStepData;
class CzorEntity;
class CzorAttr;
class CzorInstance;

// X(entity, attribute...) list; the order is the order of binding.
#define QM_REPORT_SCHEMA(E, A)                                                                              \
    E(zor_condition) A(zor_condition, type) A(zor_condition, column) A(zor_condition, value_type)             \
        A(zor_condition, value)                                                                               \
    E(zor_select) A(zor_select, column)                                                                       \
    E(zor_result_select) A(zor_result_select, column)                                                         \
    E(zor_col) A(zor_col, name) A(zor_col, type) A(zor_col, col_type)                                         \
    E(zor_report) A(zor_report, page_size) A(zor_report, page_orient) A(zor_report, fit_to_page)              \
        A(zor_report, print_area) A(zor_report, name) A(zor_report, sheets) A(zor_report, params)             \
        A(zor_report, mode)                                                                                   \
    E(zor_report_sheet) A(zor_report_sheet, type) A(zor_report_sheet, elems)                                  \
    E(zor_report_sheet_element) A(zor_report_sheet_element, name) A(zor_report_sheet_element, org_pt)         \
        A(zor_report_sheet_element, size) A(zor_report_sheet_element, text_value)                             \
        A(zor_report_sheet_element, line_width) A(zor_report_sheet_element, fixed)                            \
    E(zor_report_rect)                                                                                        \
    E(zor_report_line)                                                                                        \
    E(zor_report_table) A(zor_report_table, sections) A(zor_report_table, row_height)                         \
        A(zor_report_table, row_font)                                                                         \
    E(zor_report_section) A(zor_report_section, conditions) A(zor_report_section, show_es)                    \
        A(zor_report_section, data_src) A(zor_report_section, data_rel) A(zor_report_section, name)           \
        A(zor_report_section, title) A(zor_report_section, row_height) A(zor_report_section, title_height)    \
        A(zor_report_section, title_col) A(zor_report_section, levels) A(zor_report_section, sorts)           \
        A(zor_report_section, groups)                                                                         \
    E(zor_report_map) A(zor_report_map, src)                                                                  \
    E(zor_point) A(zor_point, x) A(zor_point, y)                                                              \
    E(zor_report_param) A(zor_report_param, name) A(zor_report_param, type) A(zor_report_param, expr)         \
        A(zor_report_param, parent) A(zor_report_param, inst_type) A(zor_report_param, value)                 \
    E(zor_column) A(zor_column, name) A(zor_column, width) A(zor_column, query_column) A(zor_column, fit_text) \
        A(zor_column, align) A(zor_column, border) A(zor_column, level) A(zor_column, type)                   \
        A(zor_column, text_const) A(zor_column, rows_count)                                                   \
    E(zor_level) A(zor_level, name) A(zor_level, cols) A(zor_level, flag) A(zor_level, height)                \
    E(background_pic) A(background_pic, file_path)                                                            \
    E(zor_font) A(zor_font, font_name) A(zor_font, height) A(zor_font, weight) A(zor_font, italic)            \
        A(zor_font, char_set) A(zor_font, strikeout) A(zor_font, underline)                                   \
    E(zor_value) A(zor_value, inst) A(zor_value, type) A(zor_value, text) A(zor_value, orient)                \
        A(zor_value, font) A(zor_value, align) A(zor_value, border) A(zor_value, fit_text)                    \
    E(zor_report_pic) A(zor_report_pic, picture) A(zor_report_pic, draw_mode)                                 \
    E(zor_group_col) A(zor_group_col, font) A(zor_group_col, paragraph) A(zor_group_col, column)              \
        A(zor_group_col, row) A(zor_group_col, last_row) A(zor_group_col, show_fr)                            \
        A(zor_group_col, conditions) A(zor_group_col, name)                                                   \
    E(zor_rect) A(zor_rect, top) A(zor_rect, left) A(zor_rect, bottom) A(zor_rect, right)                     \
    E(zor_user) A(zor_user, name) A(zor_user, password) A(zor_user, access_mode)                              \
    E(zor_table_content) A(zor_table_content, sheets) A(zor_table_content, childs) A(zor_table_content, title) \
    E(zor_table_content_title) A(zor_table_content_title, levels)                                             \
    E(zor_table_content_title_level) A(zor_table_content_title_level, para_delta)                             \
        A(zor_table_content_title_level, font)                                                                \
    E(zor_table_content_element) A(zor_table_content_element, table_content_title)                            \
        A(zor_table_content_element, width) A(zor_table_content_element, title) A(zor_table_content_element, font) \
    E(zor_reference_element) A(zor_reference_element, element)

// Handles: `schema.e_zor_col` is the entity, `schema.zor_col_name` an attribute of it.
struct CReportSchema {
#define QM_SCHEMA_E(e) CzorEntity* e_##e = nullptr;
#define QM_SCHEMA_A(e, a) CzorAttr* e##_##a = nullptr;
    QM_REPORT_SCHEMA(QM_SCHEMA_E, QM_SCHEMA_A)
#undef QM_SCHEMA_E
#undef QM_SCHEMA_A

    // Looks every name up in the store's dictionary; absent names give null handles.
    void Bind(CzorStepData& store);
    // Forgets every handle.
    void Clear() { *this = CReportSchema(); }
};

// The first instance of the entity's extent (subtypes included), or null: the record a report keeps one
// of, such as its root or its select header.
CzorInstance* FirstOfExtent(CzorStepData& store, CzorEntity* entity);
