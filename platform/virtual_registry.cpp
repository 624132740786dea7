#include "platform/virtual_registry.h"

#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

namespace {

// Win32's results for the failures this registry can meet.
constexpr LONG kErrorAccessDenied = 5;
constexpr LONG kErrorInvalidHandle = 6;
constexpr LONG kErrorInvalidParameter = 87;
constexpr LONG kErrorBadPathname = 161;

constexpr char kSeparator = '\\';

// Handles given out by RegCreateKeyExA count up from here, well clear of null
// and of the predefined roots at 0x80000000.
constexpr uintptr_t kFirstHandle = 0x1000;

struct Node {
    explicit Node(std::string key_name = "") : name(std::move(key_name)) {}

    std::string name;
    Node* parent = nullptr;
    // Keyed by the lower-case name: key names compare without case.
    std::map<std::string, std::unique_ptr<Node>> children;
    bool has_value = false;
    DWORD type = 0;
    std::string value;
};

struct Registry {
    Node classes_root{"HKEY_CLASSES_ROOT"};
    Node current_user{"HKEY_CURRENT_USER"};
    std::vector<Node*> handles;
    std::vector<virtual_registry::Call> calls;
    std::vector<std::string> denied;  // lower-case full paths
};

Registry& registry() {
    static Registry instance;
    return instance;
}

std::string lower(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

Node* root_node(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) return &registry().classes_root;
    if (key == HKEY_CURRENT_USER) return &registry().current_user;
    return nullptr;
}

Node* resolve(HKEY key) {
    if (Node* root = root_node(key)) return root;
    const uintptr_t value = reinterpret_cast<uintptr_t>(key);
    const std::vector<Node*>& handles = registry().handles;
    if (value < kFirstHandle || value - kFirstHandle >= handles.size()) return nullptr;
    return handles[value - kFirstHandle];
}

std::string full_path(const Node* node) {
    std::string path = node->name;
    for (const Node* p = node->parent; p != nullptr; p = p->parent)
        path = p->name + kSeparator + path;
    return path;
}

// Splits a sub-key into its names. A leading separator is an error, as on
// Windows; empty names elsewhere (a trailing or doubled separator) are skipped.
bool split(const char* sub_key, std::vector<std::string>* names) {
    names->clear();
    if (sub_key == nullptr || sub_key[0] == '\0') return true;
    if (sub_key[0] == kSeparator) return false;
    std::string name;
    for (const char* p = sub_key;; ++p) {
        if (*p == kSeparator || *p == '\0') {
            if (!name.empty()) names->push_back(name);
            name.clear();
            if (*p == '\0') break;
        } else {
            name += *p;
        }
    }
    return true;
}

std::string joined(const Node* base, const std::vector<std::string>& names) {
    std::string path = full_path(base);
    for (const std::string& name : names) path += kSeparator + name;
    return path;
}

bool is_denied(const std::string& path) {
    const std::string target = lower(path);
    for (const std::string& denied : registry().denied) {
        if (target == denied) return true;
        if (target.size() > denied.size() && target.compare(0, denied.size(), denied) == 0 &&
            target[denied.size()] == kSeparator)
            return true;
    }
    return false;
}

// Walks down from base, creating what is missing; *created tells whether the
// last key was new.
Node* create_path(Node* base, const std::vector<std::string>& names, bool* created) {
    Node* node = base;
    *created = false;
    for (const std::string& name : names) {
        std::unique_ptr<Node>& child = node->children[lower(name)];
        *created = !child;
        if (!child) {
            child = std::make_unique<Node>();
            child->name = name;
            child->parent = node;
        }
        node = child.get();
    }
    return node;
}

Node* find_path(Node* base, const std::vector<std::string>& names) {
    Node* node = base;
    for (const std::string& name : names) {
        auto found = node->children.find(lower(name));
        if (found == node->children.end()) return nullptr;
        node = found->second.get();
    }
    return node;
}

HKEY new_handle(Node* node) {
    std::vector<Node*>& handles = registry().handles;
    handles.push_back(node);
    return reinterpret_cast<HKEY>(kFirstHandle + handles.size() - 1);
}

// Finds or creates the key that a call names, below a root or an open
// handle, as both calls do; gives its path and whether it was created.
LONG open_path(HKEY key, LPCSTR sub_key, std::string& path, Node** node, bool* created) {
    Node* base = resolve(key);
    std::vector<std::string> names;
    if (base == nullptr) return kErrorInvalidHandle;
    if (!split(sub_key, &names)) return kErrorBadPathname;
    path = joined(base, names);
    if (is_denied(path)) return kErrorAccessDenied;
    *node = create_path(base, names, created);
    return ERROR_SUCCESS;
}

}  // namespace

LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, LPSTR key_class,
                            DWORD options, REGSAM desired, LPSECURITY_ATTRIBUTES /*security*/,
                            PHKEY result, LPDWORD disposition) {
    virtual_registry::Call call;
    call.operation = virtual_registry::Operation::create_key;
    call.key = key;
    call.sub_key = sub_key != nullptr ? sub_key : "";
    call.key_class = key_class != nullptr ? key_class : "";
    call.options = options;
    call.access = desired;

    if (result != nullptr) *result = nullptr;
    Node* node = nullptr;
    bool created = false;
    if (result == nullptr || reserved != 0) {
        call.result = kErrorInvalidParameter;
    } else if ((call.result = open_path(key, sub_key, call.path, &node, &created)) == ERROR_SUCCESS) {
        *result = new_handle(node);
        call.disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        if (disposition != nullptr) *disposition = call.disposition;
    }
    registry().calls.push_back(call);
    return call.result;
}

LONG WINAPI RegSetValueA(HKEY key, LPCSTR sub_key, DWORD type, LPCSTR data, DWORD count) {
    virtual_registry::Call call;
    call.operation = virtual_registry::Operation::set_value;
    call.key = key;
    call.sub_key = sub_key != nullptr ? sub_key : "";
    call.type = type;
    call.count = count;
    if (data != nullptr) call.data.assign(data, count);

    Node* node = nullptr;
    bool created = false;
    if (type != REG_SZ || data == nullptr) {
        call.result = kErrorInvalidParameter;
    } else if ((call.result = open_path(key, sub_key, call.path, &node, &created)) == ERROR_SUCCESS) {
        // Like Windows, a missing sub-key is created for the value.
        node->has_value = true;
        node->type = type;
        node->value.assign(data, count);
        node->value += '\0';
    }
    registry().calls.push_back(call);
    return call.result;
}

namespace virtual_registry {

void reset() {
    Registry& r = registry();
    r.classes_root.children.clear();
    r.classes_root.has_value = false;
    r.current_user.children.clear();
    r.current_user.has_value = false;
    r.handles.clear();
    r.calls.clear();
    r.denied.clear();
}

void deny(HKEY root, const std::string& path) {
    Node* base = root_node(root);
    std::vector<std::string> names;
    if (base == nullptr || !split(path.c_str(), &names)) return;
    registry().denied.push_back(lower(joined(base, names)));
}

bool key_exists(HKEY root, const std::string& path) {
    Node* base = root_node(root);
    std::vector<std::string> names;
    return base != nullptr && split(path.c_str(), &names) && find_path(base, names) != nullptr;
}

StoredValue default_value(HKEY root, const std::string& path) {
    StoredValue stored;
    Node* base = root_node(root);
    std::vector<std::string> names;
    if (base == nullptr || !split(path.c_str(), &names)) return stored;
    const Node* node = find_path(base, names);
    if (node == nullptr || !node->has_value) return stored;
    stored.present = true;
    stored.type = node->type;
    stored.bytes = node->value;
    return stored;
}

std::string key_path(HKEY key) {
    const Node* node = resolve(key);
    return node != nullptr ? full_path(node) : "";
}

const std::vector<Call>& calls() { return registry().calls; }

}  // namespace virtual_registry
