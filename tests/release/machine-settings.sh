# Sourced: the module's own names of its machine settings, read from the description of its
# settings (settings/Settings.h), so that a renamed setting fails the tests that hold the
# installer and the policy template to them.
#   settings_key SOURCE_DIR      the key under HKLM, with single backslashes
#   policy_key SOURCE_DIR        the key of the policy values under HKLM, likewise
#   machine_settings SOURCE_DIR  one line per setting: NAME REG_TYPE
settings_header() { echo "$1/settings/Settings.h"; }

key_named() {
    local key
    key=$(sed -n "s/^inline constexpr char16_t $2\\[\\] = u\"\\(.*\\)\";\$/\\1/p" "$(settings_header "$1")")
    [[ -n "$key" ]] || { echo "no $2 in $(settings_header "$1")" >&2; return 1; }
    echo "${key//\\\\/\\}"
}
settings_key() { key_named "$1" kSettingsKey; }
policy_key() { key_named "$1" kPolicyKey; }

machine_settings() {
    local settings
    settings=$(sed -n 's/^inline constexpr Setting k[A-Za-z]*{u"\([A-Za-z]*\)", RegistryType::\([A-Za-z]*\), .*SettingScope::MachineOverUser};$/\1 \2/p' \
                   "$(settings_header "$1")" |
               sed 's/ ExpandableText$/ REG_EXPAND_SZ/; s/ Text$/ REG_SZ/')
    [[ -n "$settings" ]] || { echo "no machine setting in $(settings_header "$1")" >&2; return 1; }
    echo "$settings"
}
