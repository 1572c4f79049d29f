// System-wide hotkeys on a private X server (Xvfb) with two clients: the program's and
// another one that holds a combination first and types keys through XTest while the
// program has no window and no focus at all.
#include "desktop/X11Hotkeys.h"

#include <QProcess>
#include <QTest>
#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

using namespace kestrova;

namespace {
constexpr std::uint8_t kCtrl = 8, kAlt = 16, kVirtual = 1;
} // namespace

class TestHotkeys : public QObject {
    Q_OBJECT
    QProcess m_server;
    QByteArray m_display;
    xcb_connection_t* m_ours = nullptr;
    xcb_connection_t* m_other = nullptr;
    xcb_window_t m_root = 0;

    xcb_keycode_t Keycode(xcb_connection_t* c, xcb_keysym_t sym) {
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(c);
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, sym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        free(codes);
        xcb_key_symbols_free(symbols);
        return code;
    }
    // The other client types a key with Ctrl and Alt held.
    void Type(xcb_keysym_t sym) {
        const xcb_keycode_t ctrl = Keycode(m_other, XK_Control_L), alt = Keycode(m_other, XK_Alt_L),
                            key = Keycode(m_other, sym);
        for (auto [type, code] : {std::pair{XCB_KEY_PRESS, ctrl},
                                  {XCB_KEY_PRESS, alt},
                                  {XCB_KEY_PRESS, key},
                                  {XCB_KEY_RELEASE, key},
                                  {XCB_KEY_RELEASE, alt},
                                  {XCB_KEY_RELEASE, ctrl}})
            xcb_test_fake_input(m_other, std::uint8_t(type), code, XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                                0);
        xcb_flush(m_other);
    }
    // The hotkey ids our client receives within a second.
    std::vector<int> Received(const CX11Hotkeys& hotkeys) {
        std::vector<int> ids;
        for (int i = 0; i < 100 && ids.empty(); ++i) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(m_ours)) {
                if ((e->response_type & 0x7f) == XCB_KEY_PRESS) {
                    const auto* press = reinterpret_cast<xcb_key_press_event_t*>(e);
                    if (auto id = hotkeys.Match(press->detail, press->state)) ids.push_back(*id);
                }
                free(e);
            }
            QTest::qWait(10);
        }
        return ids;
    }

private Q_SLOTS:
    void initTestCase() {
        m_display = ":" + QByteArray::number(90 + QCoreApplication::applicationPid() % 9);
        m_server.start(QStringLiteral("Xvfb"),
                       {QString::fromLatin1(m_display), QStringLiteral("-screen"),
                        QStringLiteral("0"), QStringLiteral("320x240x24")});
        QVERIFY(m_server.waitForStarted());
        for (int i = 0; i < 200 && !m_ours; ++i) {
            xcb_connection_t* c = xcb_connect(m_display.constData(), nullptr);
            if (xcb_connection_has_error(c)) {
                xcb_disconnect(c);
                QTest::qWait(20);
                continue;
            }
            m_ours = c;
        }
        QVERIFY(m_ours);
        m_other = xcb_connect(m_display.constData(), nullptr);
        QVERIFY(!xcb_connection_has_error(m_other));
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_ours)).data->root;
        // Keys go wherever the pointer is, as on a desktop with nothing focused.
        xcb_set_input_focus(m_other, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_INPUT_FOCUS_POINTER_ROOT,
                            XCB_CURRENT_TIME);
        xcb_flush(m_other);
    }
    void cleanupTestCase() {
        if (m_other) xcb_disconnect(m_other);
        if (m_ours) xcb_disconnect(m_ours);
        m_server.terminate();
        m_server.waitForFinished();
    }

    void hotkeysFireAnywhere() {
        CX11Hotkeys hotkeys(m_ours, m_root);
        // Another client holds Ctrl+Alt+P: ours is refused as in use.
        xcb_grab_key(m_other, 1, m_root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1,
                     Keycode(m_other, XK_p), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_flush(m_other);
        QTest::qWait(50);
        QCOMPARE(hotkeys.Register(117, 80, kVirtual | kCtrl | kAlt), CX11Hotkeys::Result::InUse);
        // (Ctrl+Alt with a function key switches the server's screens: a letter, then.)
        QCOMPARE(hotkeys.Register(122, 75, kVirtual | kCtrl | kAlt),
                 CX11Hotkeys::Result::Registered);
        Type(XK_k);
        QCOMPARE(Received(hotkeys), std::vector<int>{122});
        // NumLock on: the hotkey still fires.
        const xcb_keycode_t numLock = Keycode(m_other, XK_Num_Lock);
        xcb_test_fake_input(m_other, XCB_KEY_PRESS, numLock, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(m_other, XCB_KEY_RELEASE, numLock, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_other);
        Type(XK_k);
        QCOMPARE(Received(hotkeys), std::vector<int>{122});
        xcb_test_fake_input(m_other, XCB_KEY_PRESS, numLock, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(m_other, XCB_KEY_RELEASE, numLock, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(m_other);
        // Released: the key goes by.
        hotkeys.Unregister(122);
        Type(XK_k);
        QVERIFY(Received(hotkeys).empty());
        // A key with no X key is refused outright.
        QCOMPARE(hotkeys.Register(1, 0, kVirtual | kCtrl), CX11Hotkeys::Result::Failed);
    }
};

QTEST_GUILESS_MAIN(TestHotkeys)
#include "tst_hotkeys.moc"
