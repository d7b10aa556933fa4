#include <cstdio>

int main(int, char**) {
    std::fputs("Квиллмарк: генератор отчётов\n"
               "quillmark -gen -path=<шаблон> -param=<данные без расширения> -outfile=<отчёт>\n", stdout);
    return 0;
}
