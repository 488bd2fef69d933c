#pragma once
// The inside of HtmlView: one page, parsed and laid out by litehtml with a
// container that measures and draws with the program's fonts. A page is
// built and laid out on the loading thread and then handed whole to the
// user-interface thread, which draws it and asks it about its links; it is
// never used by two threads at once. Texts here are UTF-8, as litehtml
// speaks them; HtmlView converts at its edge.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::html {

// A decoded picture: blue, green, red, alpha per pixel (alpha not
// premultiplied), rows from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};
using ImageMap = std::map<std::string, std::shared_ptr<const Image>>; // by absolute address

// Fetches a stylesheet or picture by absolute address; false when it cannot
// be had. Called on the loading thread.
using ResourceFetch = std::function<bool(const std::string& url, std::string& body)>;

// The page's bytes as UTF-8: the charset of the Content-Type header, else of
// a <meta> in the first 4 KiB, else UTF-8 when the bytes are valid UTF-8,
// else GBK. GBK, GB2312 and GB18030 pages are read as GBK; Latin-1 and
// Windows-1252 pages byte by byte.
std::string DecodeHtml(std::string_view bytes, std::string_view contentType);

// A reference resolved against a base address; an address with a scheme
// stays as it is.
std::string ResolveUrl(const std::string& base, const std::string& reference);

// Decodes a picture file (png, gif, jpg, bmp; the first frame); null when
// the bytes are none of these or cannot be read.
std::shared_ptr<const Image> DecodeImage(std::string_view bytes);

// The 32-bit buffer a page is drawn into: bytes blue, green, red, alpha;
// stride in bytes.
struct Surface {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

struct PageLink {
    std::string text; // the link's text, white space collapsed and trimmed
    std::string url;  // resolved against the page
};

struct FontChoice {
    std::string face; // UTF-8 family name of the default font; empty: the program's default face
    int size = 12;    // pixels
};

class Page {
public:
    // Parses the page; stylesheets named by <link> and @import are fetched
    // here through fetch (which may be empty: none are). Pictures already
    // fetched for the same page may be passed in, so a new layout of the
    // page fetches nothing twice.
    Page(std::string url, std::string html, const FontChoice& fonts, const ResourceFetch& fetch,
        ImageMap known = {});
    ~Page();
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // Fetches the pictures the page names that are not known yet (at most
    // kMaxImages), stopping early when cancelled answers true.
    static constexpr size_t kMaxImages = 64;
    void LoadImages(const ResourceFetch& fetch, const std::function<bool()>& cancelled);

    // Lays the page out for a view of the size, and makes ready what the
    // user-interface thread asks of it: the page's drawing, recorded and
    // indexed by rows so that drawing a view costs what the view shows,
    // and its links with the boxes where they can be clicked.
    void Layout(int width, int height);
    int LayoutWidth() const;
    int ContentWidth() const;
    int ContentHeight() const;

    // Draws the part of the page at (scrollX, scrollY) into the surface.
    void Draw(const Surface& surface, int scrollX, int scrollY);

    // The resolved address of the link at the point of the view (scroll
    // offsets added), or empty when no link is there.
    std::string LinkAt(int x, int y, int scrollX, int scrollY) const;
    // Every <a> with an href, in document order.
    const std::vector<PageLink>& Links() const;

    const std::string& Url() const { return m_url; }
    const std::string& Html() const { return m_html; }
    const std::string& Title() const;
    const ImageMap& Images() const;

    class Container;

private:
    std::string m_url;
    std::string m_html;
    std::unique_ptr<Container> m_container;
    struct Document;
    std::unique_ptr<Document> m_document;
};

} // namespace platform::html
