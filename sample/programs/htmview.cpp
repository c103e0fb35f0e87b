// The sample's viewer of ".htm" documents, which the demonstration
// associates with them: it shows the text of a page as a browser would,
// without its markup. It reads the document as it is stored, so a
// document left compressed on a medium shows as the garbage it is.
//   htmview.exe DOCUMENT
#include "textwindow.h"

namespace {

const DWORD DocumentSize = 32768;
const int TitleSize = MAX_PATH + 32;
const int TagNameSize = 8;
const int EntityNameSize = 8;

char document[DocumentSize];
char text[DocumentSize];
char title[TitleSize];

struct Entity {
    const char *name;
    char value;
};

// Code page 1252, the program's own.
const Entity Entities[] = {
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"nbsp", ' '},
    {"agrave", '\xE0'}, {"acirc", '\xE2'}, {"ccedil", '\xE7'}, {"egrave", '\xE8'},
    {"eacute", '\xE9'}, {"ecirc", '\xEA'}, {"euml", '\xEB'}, {"icirc", '\xEE'},
    {"iuml", '\xEF'}, {"ocirc", '\xF4'}, {"ugrave", '\xF9'}, {"ucirc", '\xFB'},
    {"Eacute", '\xC9'}, {"Agrave", '\xC0'},
};

// Tags that end a line, and those that also leave a blank line.
const char *const LineTags[] = {"br", "li", "tr", "div", "dt", "dd"};
const char *const ParagraphTags[] = {"p", "h1", "h2", "h3", "h4", "ol", "ul", "table"};

// The rendered text: blanks collapsed, at most one blank line in a row.
struct Output {
    DWORD used;
    int pendingBlank;
    int pendingBreaks;     // line breaks owed before the next word
};

void Put(Output &out, char c)
{
    if (out.used + 1 < DocumentSize)
        text[out.used++] = c;
}

void PutVisible(Output &out, char c)
{
    if (out.used) {
        for (; out.pendingBreaks > 0; --out.pendingBreaks)
            Put(out, '\n');
        if (out.pendingBlank)
            Put(out, ' ');
    }
    out.pendingBreaks = 0;
    out.pendingBlank = 0;
    Put(out, c);
}

void AskBreaks(Output &out, int breaks)
{
    if (out.pendingBreaks < breaks)
        out.pendingBreaks = breaks;
    out.pendingBlank = 0;
}

int IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int IsOneOf(const char *name, const char *const *list, int count)
{
    for (int i = 0; i < count; ++i)
        if (lstrcmpiA(name, list[i]) == 0)
            return 1;
    return 0;
}

// Reads the tag that starts at `at` (just behind its '<'); returns where
// the text goes on and puts the tag's lower-case name in `name`, with a
// leading '/' for a closing tag.
DWORD ReadTag(DWORD at, DWORD size, char *name)
{
    int length = 0;
    if (at < size && document[at] == '/') {
        name[length++] = '/';
        ++at;
    }
    for (; at < size && length < TagNameSize - 1; ++at) {
        char c = document[at];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            break;
        name[length++] = c;
    }
    name[length] = 0;
    while (at < size && document[at] != '>')
        ++at;
    return at < size ? at + 1 : size;
}

// An entity such as "&eacute;" at `at`: its character, and where the text
// goes on; 0 when it is no entity this viewer knows.
char ReadEntity(DWORD at, DWORD size, DWORD &next)
{
    char name[EntityNameSize];
    int length = 0;
    DWORD i = at + 1;
    for (; i < size && document[i] != ';' && length < EntityNameSize - 1; ++i)
        name[length++] = document[i];
    name[length] = 0;
    if (i >= size || document[i] != ';')
        return 0;
    next = i + 1;
    if (name[0] == '#') {
        int code = 0;
        for (int k = 1; name[k] >= '0' && name[k] <= '9'; ++k)
            code = code * 10 + (name[k] - '0');
        return code > 0 && code < 256 ? (char)code : 0;
    }
    for (const Entity &entity : Entities)
        if (lstrcmpA(name, entity.name) == 0)
            return entity.value;
    return 0;
}

// The page's text in text[], its title (if any) in title[].
void Render(DWORD size)
{
    Output out = {0, 0, 0};
    int inTitle = 0;
    int hidden = 0;        // inside a style or script element
    int titleUsed = 0;
    for (DWORD at = 0; at < size;) {
        char c = document[at];
        if (c == '<') {
            char name[TagNameSize];
            at = ReadTag(at + 1, size, name);
            const char *bare = name[0] == '/' ? name + 1 : name;
            int closing = name[0] == '/';
            if (lstrcmpA(bare, "title") == 0)
                inTitle = !closing;
            else if (lstrcmpA(bare, "style") == 0 || lstrcmpA(bare, "script") == 0)
                hidden = !closing;
            else if (IsOneOf(bare, ParagraphTags, sizeof ParagraphTags / sizeof ParagraphTags[0]))
                AskBreaks(out, 2);
            else if (IsOneOf(bare, LineTags, sizeof LineTags / sizeof LineTags[0]))
                AskBreaks(out, 1);
            if (!closing && lstrcmpA(bare, "li") == 0) {
                PutVisible(out, '-');
                out.pendingBlank = 1;
            }
            continue;
        }
        ++at;
        if (c == '&') {
            DWORD next = at;
            char value = ReadEntity(at - 1, size, next);
            if (value) {
                c = value;
                at = next;
            }
        }
        if (hidden)
            continue;
        if (inTitle) {
            if (titleUsed < TitleSize - 1 && !(IsBlank(c) && titleUsed == 0))
                title[titleUsed++] = IsBlank(c) ? ' ' : c;
            continue;
        }
        if (IsBlank(c)) {
            if (!out.pendingBreaks)
                out.pendingBlank = 1;
            continue;
        }
        // Bytes that are no text (a compressed document is full of them)
        // show as a browser shows them: as something, not as an end.
        PutVisible(out, (unsigned char)c < ' ' ? '?' : c);
    }
    text[out.used] = 0;
    title[titleUsed] = 0;
}

// The document named on the command line, behind the program's own name.
const char *DocumentArgument(char *commandLine)
{
    char *at = commandLine;
    if (*at == '"') {
        for (++at; *at && *at != '"'; ++at) {
        }
        if (*at)
            ++at;
    } else {
        while (*at && *at != ' ')
            ++at;
    }
    while (*at == ' ')
        ++at;
    if (*at == '"') {
        ++at;
        char *end = at;
        while (*end && *end != '"')
            ++end;
        *end = 0;
    }
    return at;
}

DWORD ReadDocument(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD got = 0;
    if (!ReadFile(file, document, DocumentSize, &got, NULL))
        got = 0;
    CloseHandle(file);
    return got;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    const char *path = DocumentArgument(commandLine);
    DWORD size = ReadDocument(path);
    if (size) {
        Render(size);
    } else {
        lstrcpynA(text, "The document cannot be read:\n", DocumentSize);
        lstrcpynA(text + lstrlenA(text), path, DocumentSize - lstrlenA(text));
    }
    if (!title[0])
        lstrcpynA(title, path, TitleSize);
    const TextWindow window = {"NimbaluneSampleViewer", title, text, 80, 60, 560, 400, NULL, NULL};
    return RunTextWindow(instance, window);
}
