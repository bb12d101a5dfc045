#!/usr/bin/env bash
# Builds the Debian package from a finished build, unpacks it into a scratch root and
# checks what it installs: the entries validate, the program starts and stays up,
# and telvok-cw-send renders a WAV.
set -euo pipefail
build=$1
expected_version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$work"/pkg/*.deb | head -n 1)
[ -f "$deb" ] || fail "no .deb built"

version=$(dpkg-deb -f "$deb" Version)
[ "$version" = "$expected_version" ] || fail "package version $version, expected $expected_version"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libpulse0 libqt6charts6 libqt6core6 qt6-qpa-plugins qt6-translations-l10n; do
    grep -q "$dep" <<<"$depends" || fail "Depends lacks $dep: $depends"
done
# The sound files are written through libsndfile; dpkg-shlibdeps finds it.
grep -q libsndfile1 <<<"$depends" || fail "Depends lacks libsndfile1: $depends"

# No lintian errors or warnings (copyright, changelog, description, manual pages).
lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log" >&2; fail "lintian"; }
# Listed once: grep -q stops reading at the first match, and under pipefail the
# listing dpkg-deb could not finish writing would count as a failure.
listing=$(dpkg-deb -c "$deb")
for page in telvok-cw telvok-cw-send; do
    grep -q "usr/share/man/man1/$page.1.gz" <<<"$listing" || fail "package lacks the manual page of $page"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/telvok-cw usr/bin/telvok-cw-send \
         usr/share/applications/dk.telvok.Morsetraening.desktop \
         usr/share/icons/hicolor/scalable/apps/dk.telvok.Morsetraening.svg \
         usr/share/metainfo/dk.telvok.Morsetraening.metainfo.xml; do
    [ -e "$root/$f" ] || fail "package lacks /$f"
done
desktop-file-validate "$root/usr/share/applications/dk.telvok.Morsetraening.desktop" \
    | grep -v '^.*hint:' | grep . && fail "desktop entry does not validate"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/dk.telvok.Morsetraening.metainfo.xml" \
    >"$work/appstream.log" 2>&1 || { cat "$work/appstream.log" >&2; fail "metainfo does not validate"; }

# The installed program starts (offscreen, its own settings) and is still running
# after two seconds; it ends cleanly when asked to.
export XDG_CONFIG_HOME=$work/config
QT_QPA_PLATFORM=offscreen "$root/usr/bin/telvok-cw" >"$work/program.log" 2>&1 &
pid=$!
sleep 2
kill -0 "$pid" 2>/dev/null || { cat "$work/program.log" >&2; fail "the installed program did not stay up"; }
kill -TERM "$pid"
wait "$pid" 2>/dev/null || true

# The installed sender renders.
printf 'cq de oz1abc' | "$root/usr/bin/telvok-cw-send" -o "$work/out.wav" -
size=$(stat -c %s "$work/out.wav")
[ $(( (size - 44) % 44100 )) -eq 0 ] && [ "$size" -gt 44 ] || fail "telvok-cw-send wrote $size bytes"
echo "package $deb ($version) installs and runs"
