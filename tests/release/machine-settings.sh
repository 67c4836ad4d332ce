# Sourced: the module's own names of its machine settings, read from the header the module is
# built with (platform/RegistrySetting.h), so that a renamed setting fails the tests that
# hold the installer and the policy template to them.
#   settings_key SOURCE_DIR      the key under HKLM, with single backslashes
#   machine_settings SOURCE_DIR  one line per setting: NAME REG_TYPE
settings_header() { echo "$1/platform/RegistrySetting.h"; }

settings_key() {
    local key
    key=$(sed -n 's/^inline constexpr wchar_t kSettingsKey\[\] = L"\(.*\)";$/\1/p' "$(settings_header "$1")")
    [[ -n "$key" ]] || { echo "no kSettingsKey in $(settings_header "$1")" >&2; return 1; }
    echo "${key//\\\\/\\}"
}

machine_settings() {
    local settings
    settings=$(sed -n 's/^inline constexpr MachineSetting k[A-Za-z]*{L"\([A-Za-z]*\)", \(REG_[A-Z_]*\)};$/\1 \2/p' \
                   "$(settings_header "$1")")
    [[ -n "$settings" ]] || { echo "no MachineSetting in $(settings_header "$1")" >&2; return 1; }
    echo "$settings"
}
