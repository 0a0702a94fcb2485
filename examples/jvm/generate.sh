#!/usr/bin/env bash
# Writes the example JVM descriptors, one per Java feature version, for Windows and Linux:
#
#   bash examples/jvm/generate.sh [DIR]
#
# DIR (default: the directory of this script) gets windows/java-N.jvm and linux/java-N.jvm for
# each version in VERSIONS. A descriptor can expect one value per property, so each one accepts
# one feature version ("java.version=17..." takes 17, 17.0.2, 17-ea; "1.8..." takes 1.8.0_392)
# and knows where the vendors put that version. Pack them newest first (sort -rV on the names)
# after bundled.jvm, which is written by hand. The files in this directory are this script's
# output: change the script and run it again rather than editing them.
set -euo pipefail

out=${1:-$(cd "$(dirname "$0")" && pwd)}

# The feature versions, newest first; 8 stands for 1.8. Versions 9, 10 and those before 8 are
# left out on purpose.
VERSIONS=(25 24 23 22 21 20 19 18 17 16 15 14 13 12 11 8)

# The value java.version starts with.
version_prefix() {
    if [ "$1" = 8 ]; then echo 1.8; else echo "$1"; fi
}

# The registry values that name the home of version $1 (tried in the launcher's own registry view
# first, then in the other one). A "*" segment is every subkey there, newest version first.
windows_platform_hints() {
    local v=$1 hklm='\HKEY_LOCAL_MACHINE\SOFTWARE'
    if [ "$v" = 8 ]; then
        # Oracle, and Amazon Corretto 8, which registers the same way.
        echo "$hklm\\JavaSoft\\Java Runtime Environment\\1.8\\JavaHome"
        echo "$hklm\\JavaSoft\\Java Development Kit\\1.8\\JavaHome"
    else
        # Oracle from 9 on, and Amazon Corretto and others that register the same way.
        echo "$hklm\\JavaSoft\\JDK\\*\\JavaHome"
        echo "$hklm\\JavaSoft\\JRE\\*\\JavaHome"
    fi
    echo "$hklm\\Eclipse Adoptium\\JDK\\*\\hotspot\\MSI\\Path"
    echo "$hklm\\Eclipse Adoptium\\JRE\\*\\hotspot\\MSI\\Path"
    echo "$hklm\\Azul Systems\\Zulu\\zulu-$v\\InstallationPath"
    echo "$hklm\\Azul Systems\\Zulu\\zulu-$v-jre\\InstallationPath"
    echo "$hklm\\Azul Systems\\Zulu 32-bit\\zulu-$v\\InstallationPath"
    echo "$hklm\\Azul Systems\\Zulu 32-bit\\zulu-$v-jre\\InstallationPath"
    # The Microsoft Build of OpenJDK starts at 11.
    [ "$v" = 8 ] || echo "$hklm\\Microsoft\\JDK\\*\\hotspot\\MSI\\Path"
}

# The vendors' default install folders, tried on every drive; a final "*" matches the folders
# that begin with the text before it, newest first.
windows_path_hints() {
    local v=$1 pf='\Program Files'
    echo "$pf\\Eclipse Adoptium\\jdk-$v*"
    echo "$pf\\Eclipse Adoptium\\jre-$v*"
    if [ "$v" = 8 ]; then
        echo "$pf\\Java\\jre1.8*"
        echo "$pf\\Java\\jdk1.8*"
        echo "$pf (x86)\\Java\\jre1.8*"
        echo "$pf\\Zulu\\zulu-8*"
        echo "$pf\\Amazon Corretto\\jdk1.8*"
        echo "$pf\\Amazon Corretto\\jre8*"
    else
        echo "$pf\\Java\\jdk-$v*"
        echo "$pf\\Zulu\\zulu-$v*"
        echo "$pf\\Amazon Corretto\\jdk$v*"
        echo "$pf\\Microsoft\\jdk-$v*"
    fi
}

# The folders the Linux packages install into (Debian, Ubuntu, Fedora and the vendors' own
# packages); the launcher also tries JAVA_HOME, PATH and every runtime in /usr/lib/jvm by itself.
linux_path_hints() {
    local v=$1 jvm=/usr/lib/jvm
    if [ "$v" = 8 ]; then
        echo "$jvm/java-8*"
        echo "$jvm/java-1.8.0*"
        echo "$jvm/temurin-8*"
        echo "$jvm/zulu-8*"
        echo "$jvm/zulu8*"
        echo "$jvm/jdk-1.8*"
        echo "$jvm/jdk1.8*"
    else
        echo "$jvm/java-$v*"
        echo "$jvm/temurin-$v*"
        echo "$jvm/zulu-$v*"
        echo "$jvm/zulu$v*"
        echo "$jvm/msopenjdk-$v*"
        echo "$jvm/jdk-$v*"
    fi
}

# block NAME: a tag with one value per line of standard input.
block() {
    echo "$1:"
    sed 's/^/  /'
    echo "/:"
}

# descriptor SYSTEM VERSION
descriptor() {
    local system=$1 v=$2 exe separator
    case $system in
    windows) exe='bin\java.exe' separator=';' ;;
    linux) exe=bin/java separator=: ;;
    esac
    echo "DESC: Java $v"
    echo "JVM_EXE: $exe"
    echo "java.version=$(version_prefix "$v")..." | block JVM_PROPERTIES
    if [ "$system" = windows ]; then
        windows_platform_hints "$v" | block PLATFORM_HINT
        windows_path_hints "$v" | block PATH_HINT
    else
        linux_path_hints "$v" | block PATH_HINT
    fi
    echo 'CLASSPATH: "-cp "'
    echo "CLASSPATH_SEPARATOR: $separator"
    echo "SYSTEM: -D"
    echo "SYSTEM_SEPARATOR: ="
    echo "SEARCH_ALL: 0"
}

for system in windows linux; do
    mkdir -p "$out/$system"
    for v in "${VERSIONS[@]}"; do
        descriptor "$system" "$v" >"$out/$system/java-$v.jvm"
    done
done
