"""The ZIP as a Windows user gets it: every file the program needs and nothing from the build tree,
every library that any of its programs and libraries loads either in it or a part of Windows, and a
readme and licence that Notepad shows as they are."""
import re
import subprocess
import zipfile
from pathlib import Path

from conftest import ZIP

NEEDED = {
    "quorvelcal.exe", "Qt6Core.dll", "Qt6Gui.dll", "Qt6Widgets.dll",
    "libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll",
    "platforms/qwindows.dll", "styles/qwindowsvistastyle.dll",
    "translations/qtbase_zh_CN.qm", "translations/qtbase_zh_TW.qm",
    "说明.txt", "LICENSE.txt",
}
# What every Windows since 8.1 has in its system folder (the API sets are the system's own names).
WINDOWS = {name.lower() for name in (
    "KERNEL32.dll", "USER32.dll", "GDI32.dll", "SHELL32.dll", "ADVAPI32.dll", "ole32.dll", "OLEAUT32.dll",
    "msvcrt.dll", "comdlg32.dll", "IMM32.dll", "WINMM.dll", "WS2_32.dll", "VERSION.dll", "USERENV.dll",
    "NETAPI32.dll", "MPR.dll", "AUTHZ.dll", "UxTheme.dll", "dwmapi.dll", "SHLWAPI.dll", "SHCORE.dll",
    "WTSAPI32.dll", "d3d9.dll", "d3d11.dll", "dxgi.dll")}
LICENSE = Path(__file__).resolve().parents[2] / "LICENSE"


def files(archive):
    """The ZIP's files, by their path inside its one folder."""
    return {info.filename.split("/", 1)[1]: info for info in archive.infolist() if not info.is_dir()}


def test_the_zip_holds_what_the_program_needs_and_no_more():
    with zipfile.ZipFile(ZIP) as archive:
        held = files(archive)
    assert not NEEDED - held.keys(), "missing"
    extra = {name for name in held.keys() - NEEDED if not re.fullmatch(r"translations/qtbase_\w+\.qm", name)}
    assert not extra, "files no Windows user needs"
    # A name beyond ASCII is marked as UTF-8, or Windows unpacks it in the local code page.
    assert all(info.flag_bits & 0x800 for name, info in held.items() if not name.isascii())


def test_every_import_is_shipped_or_part_of_windows(tmp_path):
    with zipfile.ZipFile(ZIP) as archive:
        archive.extractall(tmp_path)
    folder = tmp_path / ZIP.stem
    # Windows finds a library in the program's folder, plugins' imports too (the program is their host).
    shipped = {p.name.lower() for p in folder.glob("*.dll")}
    binaries = sorted(p for p in folder.rglob("*") if p.suffix in (".exe", ".dll"))
    assert len(binaries) == 9
    for binary in binaries:
        dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(binary)], capture_output=True, text=True,
                              check=True).stdout
        imports = re.findall(r"^\s*DLL Name: (\S+)$", dump, re.M)
        assert imports, f"{binary.name}: no imports read"
        unknown = [name for name in imports if name.lower() not in shipped | WINDOWS
                   and not name.lower().startswith("api-ms-win-")]
        assert not unknown, f"{binary.relative_to(folder)} loads what the ZIP lacks"


def test_the_readme_and_the_licence_open_in_notepad():
    with zipfile.ZipFile(ZIP) as archive:
        readme = archive.read(f"{ZIP.stem}/说明.txt")
        licence = archive.read(f"{ZIP.stem}/LICENSE.txt")
    assert readme.startswith(b"\xef\xbb\xbf")
    for text in (readme, licence):
        assert b"\n" not in text.replace(b"\r\n", b""), "a line not ended by CR LF"
    text = readme.decode("utf-8-sig")
    assert "@" not in text  # every part filled in
    assert text.index("这是什么") < text.index("What it is") and "quorvelcal.exe" in text and "记事本" in text
    assert licence == LICENSE.read_bytes().replace(b"\n", b"\r\n")
