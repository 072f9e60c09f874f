-- SPDX-License-Identifier: GPL-3.0-or-later
-- Wireshark dissector for the ZKN link between the ZKN-Control Tool and a PBX.
--
-- Over TCP (the PBX listens on port 60020) every unit is a link frame:
--   SYN, kind digit, length n (three digits), device (2), sequence (2), data (n - 4), check byte
-- n counts the bytes from the device field up to the last data byte; the check byte is the XOR
-- of every byte after the SYN, inverted under odd parity. Frames follow one another with
-- nothing between them, so one TCP segment may hold several and one frame may span segments.
--
-- On the serial line there are no frames. The tool's serial captures use link type USER0: each
-- packet is one direction byte (0 written by the tool, 1 read from the PBX) and the bytes of
-- that read or write; message texts run from STX to ETX and may span packets.
--
-- Load it with  wireshark -X lua_script:zkn.lua  or copy it to the personal Lua plugins folder.
-- On a TCP port other than 60020 it finds the link by its first frame, or use
-- "Decode As" (tshark: -d tcp.port==N,zkn).

local zkn = Proto("zkn", "ZKN link")

local SYN, STX, ETX = 0x16, 0x02, 0x03
local PBX_PORT = 60020
local TOOL, PBX = 0, 1

---------------------------------------------------------------------------------------------
-- Names

local DIRECTIONS = { [TOOL] = "Tool to PBX", [PBX] = "PBX to tool" }

local KIND_NAMES = {
    ["1"] = "Text",
    ["2"] = "Record",
    ["3"] = "Response",
    ["4"] = "Record answer",
    ["5"] = "Status",
    ["6"] = "Link release",
}

-- The usual sender of each kind; kind 6 goes both ways.
local KIND_SENDER = { ["1"] = TOOL, ["4"] = TOOL, ["5"] = TOOL, ["2"] = PBX, ["3"] = PBX }

-- The frame length n each kind has; texts and records carry at least STX and ETX.
local KIND_LENGTH = { ["3"] = 5, ["4"] = 5, ["5"] = 6, ["6"] = 4 }

local RESPONSE_TEXTS = {
    [0] = "OK",
    [1] = "** PARITY ERROR **",
    [2] = "** DEVICE ID NOT DEFINED **",
    [3] = "** INCORRECT TEXT RECV'd **",
    [4] = "** DEVICE ALREADY IN USE **",
}

local function response_text(code)
    return RESPONSE_TEXTS[code] or ("** INVALID RESPONSE NUMBER (" .. code .. ")")
end

local ANSWER_CODES = { [0] = "Normal", [1] = "Parity error", [3] = "Invalid text" }

local LAMP_FUNCTIONS = {
    ["1"] = "MW lamp on",
    ["5"] = "MW lamp off",
    ["2"] = "VMM lamp on",
    ["6"] = "VMM lamp off",
}

local CALL_TYPES = {
    [10] = "Automatic Recall",
    [11] = "Attendant Camp-On",
    [12] = "Call Forwarding-Don't Answer",
    [13] = "Call Forwarding-Busy Line",
    [14] = "Call Forwarding-All Calls",
    [15] = "Operator Call",
    [16] = "House phone",
    [17] = "Off-Hook Alarm",
    [20] = "Intercept Call to the Attendant",
    [21] = "Call Transfer-Attendant",
    [22] = "Recall from a Series Call",
    [23] = "Series Call Re-entry",
    [24] = "Tandem Transferring/Hold Entry",
    [26] = "Inter-Posistion Transfer",
    [27] = "CAS Incomming Call",
    [30] = "LDN Call",
    [36] = "Call Returned from Hold",
    [39] = "Stop Sending MW Control Data",
    [40] = "Call Forwarding-Don't Answer",
    [41] = "Call Forwarding-Busy Line",
    [42] = "Call Forwarding-All Calls",
    [43] = "Direct Call to UCD-Pilot",
    [44] = "STA/TRK via ATT",
    [45] = "Transfer to UCD Pilot Station",
    [66] = "Start Sending MW Control Data",
}

---------------------------------------------------------------------------------------------
-- Fields, expert infos, preferences

local f = zkn.fields
f.direction = ProtoField.uint8("zkn.direction", "Direction", base.DEC, DIRECTIONS)
f.kind = ProtoField.string("zkn.kind", "Kind")
f.kind_name = ProtoField.string("zkn.kind_name", "Kind name")
f.length = ProtoField.uint16("zkn.length", "Length", base.DEC)
f.device = ProtoField.string("zkn.device", "Device")
f.seq = ProtoField.string("zkn.seq", "Sequence")
f.data = ProtoField.bytes("zkn.data", "Data")
f.check = ProtoField.uint8("zkn.check", "Check byte", base.HEX)
f.check_good = ProtoField.bool("zkn.check_good", "Check byte good")
f.check_expected = ProtoField.uint8("zkn.check_expected", "Check byte expected", base.HEX)
f.status = ProtoField.string("zkn.status", "Status frame")
f.response_code = ProtoField.uint8("zkn.response_code", "Response code", base.DEC)
f.answer_code = ProtoField.uint8("zkn.answer_code", "Answer code", base.DEC, ANSWER_CODES)
f.answers = ProtoField.string("zkn.answers", "Answers")
f.response_to = ProtoField.framenum("zkn.response_to", "Response to", base.NONE, frametype.RESPONSE)
f.response_in = ProtoField.framenum("zkn.response_in", "Response in", base.NONE, frametype.REQUEST)
f.answer_time = ProtoField.relative_time("zkn.answer_time", "Answer time")
f.text = ProtoField.string("zkn.text", "Message text")
f.text_part = ProtoField.bytes("zkn.text_part", "Part of a message text")
f.other = ProtoField.bytes("zkn.other", "Bytes outside a message text")
f.not_frame = ProtoField.bytes("zkn.not_frame", "Bytes that are no frame")
f.lamp_form = ProtoField.string("zkn.lamp_form", "Lamp message form")
f["function"] = ProtoField.string("zkn.function", "Lamp function")
f.station = ProtoField.string("zkn.station", "Station")
f.station2 = ProtoField.string("zkn.station2", "Second station")
f.layout = ProtoField.string("zkn.record.layout", "Record layout")
f.source = ProtoField.string("zkn.record.source", "Source/Destination")
f.calling = ProtoField.string("zkn.record.calling", "Calling Party")
f.called = ProtoField.string("zkn.record.called", "Called Party")
f.extended = ProtoField.string("zkn.record.extended", "Extended Calling Party")
f.loop = ProtoField.string("zkn.record.loop", "Loop No.")
f.call_type = ProtoField.uint8("zkn.record.call_type", "Call Type", base.DEC)
f.ani = ProtoField.string("zkn.record.ani", "ANI")
f.message = ProtoField.string("zkn.record.message", "Decode message")

local ex = {
    check = ProtoExpert.new("zkn.check_bad", "Check byte wrong",
        expert.group.CHECKSUM, expert.severity.WARN),
    unmatched = ProtoExpert.new("zkn.unmatched", "Answer to no frame awaiting one",
        expert.group.SEQUENCE, expert.severity.WARN),
    not_frame = ProtoExpert.new("zkn.no_frame", "No frame: the tool drops these bytes and what it read with them",
        expert.group.MALFORMED, expert.severity.WARN),
    length = ProtoExpert.new("zkn.bad_length", "Length field is not three digits",
        expert.group.MALFORMED, expert.severity.WARN),
    no_stx = ProtoExpert.new("zkn.no_stx", "Frame holds no STX",
        expert.group.MALFORMED, expert.severity.WARN),
    kind = ProtoExpert.new("zkn.unknown_kind", "Unknown kind: the tool does nothing with this frame",
        expert.group.PROTOCOL, expert.severity.WARN),
    refused = ProtoExpert.new("zkn.refused", "The PBX refuses the device: the tool drops the link",
        expert.group.RESPONSE_CODE, expert.severity.WARN),
    decode = ProtoExpert.new("zkn.record.error", "Decoding the record raised a message",
        expert.group.PROTOCOL, expert.severity.NOTE),
}
zkn.experts = { ex.check, ex.unmatched, ex.not_frame, ex.length, ex.no_stx, ex.kind, ex.refused, ex.decode }

local ODD, EVEN = 1, 2
zkn.prefs.parity = Pref.enum("Check-byte parity", ODD,
    "The LAN parity of the tool's connection properties", { { 1, "Odd", ODD }, { 2, "Even", EVEN } }, false)

local AUTO, KRA, OLV = 1, 2, 3
zkn.prefs.serial_layout = Pref.enum("Serial record layout", AUTO,
    "Records over TCP are always KRA; on the serial line the PBX family decides. Auto takes KRA when "
        .. "the record cuts into sections, else OLV",
    { { 1, "Auto", AUTO }, { 2, "KRA", KRA }, { 3, "OLV", OLV } }, false)

---------------------------------------------------------------------------------------------
-- State kept across packets. Wireshark dissects every packet once in order (pinfo.visited
-- false), then again in any order; what needs earlier packets is worked out on that first
-- pass and looked up afterwards.

local streams      -- per TCP stream: the PBX's port, the frames awaiting an answer
local frames       -- per link frame (packet number and place in it): what the first pass found
local serial_rx    -- per serial direction: the message text begun and not yet ended
local serial_cuts  -- per serial packet: its pieces, as cut on the first pass

local function reset()
    streams, frames, serial_rx, serial_cuts = {}, {}, {}, {}
end
reset()
zkn.init = reset

---------------------------------------------------------------------------------------------
-- Small helpers

local function is_digits(s, count)
    return #s == count and s:match("^%d+$") ~= nil
end

-- The number a record field stands for: blanks are ignored, the first "." is the decimal
-- point, reading ends at any other character that is no digit, and the value is rounded to a
-- whole number, halves to the even one.
local function rounded_number(s)
    local whole, first, more, point = 0, nil, false, false
    for i = 1, #s do
        local c = s:sub(i, i)
        if c ~= " " then
            if c == "." and not point then
                point = true
            elseif not c:match("%d") then
                break
            elseif point then
                if first == nil then first = tonumber(c) else more = more or c ~= "0" end
            else
                whole = whole * 10 + tonumber(c)
            end
        end
    end
    first = first or 0
    if first > 5 or (first == 5 and (more or whole % 2 == 1)) then whole = whole + 1 end
    return whole
end

-- The length field's leading digits; 0 when it starts with none.
local function leading_number(s)
    return tonumber(s:match("^%d*")) or 0
end

local function trim(s)
    return (s:gsub("^%s+", ""):gsub("%s+$", ""))
end

-- The tool shows and decodes records with every blank as ".".
local function dot_blanks(s)
    return (s:gsub(" ", "."))
end

local function check_byte(bytes)
    local x = 0
    for i = 1, #bytes do x = bit.bxor(x, bytes:byte(i)) end
    if zkn.prefs.parity == ODD then x = bit.bxor(x, 0xFF) end
    return x
end

local function parity_name()
    return zkn.prefs.parity == ODD and "odd" or "even"
end

local function add_info(pinfo, text)
    if pinfo.private.zkn_info then
        pinfo.cols.info:append(", " .. text)
    else
        pinfo.cols.info:set(text)
        pinfo.private.zkn_info = "1"
    end
end

-- Answer times as the capture gives them, to the nanosecond.
local function nstime(seconds)
    local s = math.floor(seconds)
    local ns = math.floor((seconds - s) * 1e9 + 0.5)
    if ns >= 1000000000 then s, ns = s + 1, ns - 1000000000 end
    return NSTime.new(s, ns)
end

---------------------------------------------------------------------------------------------
-- Lamp-control messages: STX "0!A", then either a function code and a station area of 12 or
-- 26 characters (fixed-field form), or tagged fields tag(2) length(2) value (tagged form).

local function parse_tagged(inner)
    local values, pos = {}, 1
    while pos <= #inner do
        local tag, count = inner:sub(pos, pos + 1), inner:sub(pos + 2, pos + 3)
        if not is_digits(tag, 2) or not is_digits(count, 2) then return nil end
        local n = tonumber(count)
        if pos + 3 + n > #inner then return nil end
        values[tag] = inner:sub(pos + 4, pos + 3 + n)
        pos = pos + 4 + n
    end
    if not values["01"] or #values["01"] ~= 1 then return nil end
    return { form = "tagged", func = values["01"], station = values["02"], station2 = values["03"] }
end

local function parse_fixed(inner)
    if #inner ~= 13 and #inner ~= 27 then return nil end
    local area = inner:sub(2)
    local lamp = { form = "fixed-field", func = inner:sub(1, 1) }
    local one = area:match("^(%S*)%s*$")
    if one then
        lamp.station = one
    else
        -- Two stations, as the single-station dialog writes them: 6 + 6, or 8 + 8 + 10 blanks.
        local width = #area == 12 and 6 or 8
        lamp.station = trim(area:sub(1, width))
        lamp.station2 = trim(area:sub(width + 1))
    end
    return lamp
end

local function parse_lamp(text)
    if text:sub(1, 4) ~= "\2" .. "0!A" or text:sub(-1) ~= "\3" then return nil end
    local inner = text:sub(5, -2)
    if inner:sub(1, 4) == "0101" then
        local lamp = parse_tagged(inner)
        if lamp then return lamp end
    end
    return parse_fixed(inner)
end

---------------------------------------------------------------------------------------------
-- Call-information records: STX, three header characters, a body that ends in ETX. The body
-- is cut into parts, as the tool's breakdown window shows them.

local PART_NAMES = { [1] = "Source/Destination", [3] = "Calling Party", [4] = "Called Party",
    [5] = "Extended Calling Party" }
local PART_FIELDS = { [1] = f.source, [3] = f.calling, [4] = f.called, [5] = f.extended }
local PARTY_KINDS = { [0] = "Station", [1] = "Attendant", [2] = "Trunk", [3] = "Trunk/ANI" }

-- Boxes in the order the window shows them: label, then from and width in the KRA and the
-- OLV layouts (no OLV place: the box stays empty there).
local BOXES = {
    [0] = { { "FPC", 1, 3 }, { "TN", 4, 3, 1, 2 }, { "STN", 7, 8, 3, 8 }, { "UGN", 15, 3 }, { "TELN", 18, 16 } },
    [1] = { { "FPC", 1, 3 }, { "TN", 4, 3, 1, 2 }, { "ATTN", 7, 2, 3, 2 }, { "UGN", 15, 3 }, { "Blank", 9, 6, 5, 4 } },
    [2] = { { "FPC", 1, 3 }, { "TN", 4, 3, 1, 2 }, { "RT", 7, 3, 3, 3 }, { "UGN", 15, 3 }, { "Blank", 13, 2 },
        { "TK", 10, 3, 6, 3 }, { "LGRT", 18, 3 } },
}
BOXES[3] = BOXES[2]

local function cut(s, from, width)
    if not from then return "" end
    return s:sub(from, from + width - 1)
end

-- A party's line, or nil for a kind the window has no frame for.
local function decode_party(data, part, kind, olv, out)
    local boxes = BOXES[kind]
    if not boxes then return false end
    local shown = {}
    for _, box in ipairs(boxes) do
        local from, width = box[2], box[3]
        if olv then from, width = box[4], box[5] end
        -- An OLV calling station has 16 digits of station number.
        if olv and part == 3 and kind == 0 and box[1] == "STN" then width = 16 end
        local text = cut(data, from, width)
        if text ~= "" then shown[#shown + 1] = box[1] .. ": " .. text end
    end
    local value = PARTY_KINDS[kind] .. "  " .. table.concat(shown, "  ")
    out[#out + 1] = { field = PART_FIELDS[part], value = value,
        text = PART_NAMES[part] .. " (" .. PARTY_KINDS[kind] .. ")  " .. table.concat(shown, "  ") }
    return true
end

local function decode_call_type(data, out)
    local loop, code = data:sub(1, 2), rounded_number(data:sub(3, 4))
    out[#out + 1] = { field = f.loop, value = loop, text = "Loop No.: " .. loop }
    local name = CALL_TYPES[code]
    local shown = name and string.format("%d    %s", code, name) or "ERROR... Unknown Call Type!"
    out[#out + 1] = { field = f.call_type, value = code, text = "Call Type: " .. shown }
    if not name then out[#out + 1] = { field = f.message, value = "ERROR: Unknown Call Type" } end
end

-- False when the record's decode ends here.
local function decode_ani(data, olv, out)
    if data:sub(1, 1) ~= "1" then return true end
    local number
    if olv then
        number = data:sub(2, 33)
    else
        local count = rounded_number(data:sub(2, 3))
        if count < 1 then
            out[#out + 1] = { field = f.message, value = "Error: the ANI section's count is no number of 1 or more" }
            return false
        end
        number = cut(data, 4, count - 1)
    end
    out[#out + 1] = { field = f.ani, value = number, text = "ANI (Provided)  ANI: " .. number }
    return true
end

local KRA_KIND_ERRORS = { [1] = "Processing Source Information: ", [3] = "Processing Calling Party Information: ",
    [4] = "Processing Called Party Information: ", [5] = "Processing Extended Calling Party Information: " }

-- Sections until only the ETX is left, a section longer than what is left taking the rest;
-- nil when that takes more than six.
local function cut_sections(body)
    local sections = {}
    repeat
        if #sections == 6 then return nil end
        local section = body:sub(1, rounded_number(body:sub(3, 4)) + 4)
        sections[#sections + 1] = section
        body = body:sub(#section + 1)
    until #body == 1
    return sections
end

local function decode_kra(body, out)
    local sections = cut_sections(body)
    if not sections then
        out[#out + 1] = { field = f.message, value = "Error: the KRA record does not end after six sections" }
        return
    end
    for _, section in ipairs(sections) do
        local part, kind = rounded_number(section:sub(1, 2)), rounded_number(section:sub(5, 5))
        if PART_NAMES[part] then
            if not decode_party(section:sub(6), part, kind, false, out) then
                out[#out + 1] = { field = f.message, value = "ERROR: " .. KRA_KIND_ERRORS[part] .. "ID=" .. kind }
                return
            end
        elseif part == 2 then
            decode_call_type(section:sub(5), out)
        elseif part == 6 then
            -- The ANI data lies after the section length: flag, count, number.
            if not decode_ani(section:sub(5), false, out) then return end
        end
    end
end

-- Body length: caption, then the widths of source, calling, called and extended party data.
local OLV_LAYOUTS = {
    [32] = { "OLV - 6 digit", 8, 8, 8 },
    [46] = { "OLV - 8 digit", 10, 18, 10 },
    [76] = { "OLV - 6 digit Expanded", 8, 8, 8, 8 },
    [92] = { "OLV - 8 digit Expanded", 10, 18, 10, 10 },
}

local OLV_KIND_ERRORS = { [1] = "Unknown Source ID!", [3] = "Unknown Calling Party ID!",
    [4] = "Unknown Called Party ID!", [5] = "Unknown Extended Calling Party ID!" }

local function decode_olv(body, layout, out)
    local pos = 1
    local function take(width)
        local s = body:sub(pos, pos + width - 1)
        pos = pos + #s
        return s
    end
    local function party(part, width)
        local kind = rounded_number(take(1))
        if decode_party(take(width), part, kind, true, out) then return true end
        out[#out + 1] = { field = f.message, value = "ERROR: " .. OLV_KIND_ERRORS[part] }
        return false
    end
    if not party(1, layout[2]) then return end
    decode_call_type(take(4), out)
    if not party(3, layout[3]) or not party(4, layout[4]) then return end
    take(1) -- the ETX of the plain layouts; not read in the expanded ones
    if not layout[5] or not party(5, layout[5]) then return end
    decode_ani(body:sub(pos), true, out)
end

local function serial_kra(body)
    local sections = cut_sections(body)
    if not sections then return false end
    for _, section in ipairs(sections) do
        local part = section:sub(1, 2)
        if not is_digits(part, 2) or tonumber(part) < 1 or tonumber(part) > 6 then return false end
    end
    return true
end

-- The layout's name and the lines of a record; nil for a lamp-control answer, no call record.
local function decode_record(text, serial)
    if text:sub(1, 4) == "\2" .. "0!A" then return nil end
    local body = dot_blanks(text):sub(5)
    local olv = false
    if serial then
        local choice = zkn.prefs.serial_layout
        olv = choice == OLV or (choice == AUTO and OLV_LAYOUTS[#body] ~= nil and not serial_kra(body))
    end
    local out = {}
    if not olv then
        decode_kra(body, out)
        return "KRA", out
    end
    local layout = OLV_LAYOUTS[#body]
    if not layout then
        out[#out + 1] = { field = f.message, value = "ERROR: Unknown or Corrupt ZKN Format! " }
        return "OLV", out
    end
    decode_olv(body, layout, out)
    return layout[1], out
end

---------------------------------------------------------------------------------------------
-- Message texts, on either transport: lamp control or record, else shown as they are.

-- Adds the text and what it says; returns its name and a few words for the Info column.
local function dissect_text(range, text, tree, serial)
    local item = tree:add(f.text, range, text)
    local lamp = parse_lamp(text)
    if lamp then
        local sub = item:add(range, "Lamp control")
        sub:add(f.lamp_form, range, lamp.form)
        sub:add(f["function"], range, lamp.func):append_text(" (" .. (LAMP_FUNCTIONS[lamp.func] or "unknown") .. ")")
        sub:add(f.station, range, lamp.station or "")
        if lamp.station2 then sub:add(f.station2, range, lamp.station2) end
        local words = (LAMP_FUNCTIONS[lamp.func] or ("lamp function " .. lamp.func)) .. " " .. (lamp.station or "")
        if lamp.station2 and lamp.station2 ~= "" then words = words .. " to " .. lamp.station2 end
        return "Lamp control", words
    end
    if text:sub(4, 4) ~= "J" then return "Text" end
    local layout, lines = decode_record(text, serial)
    if not layout then return "Text" end
    local sub = item:add(range, "Record (" .. layout .. ")")
    sub:add(f.layout, range, layout)
    local words = layout
    for _, line in ipairs(lines) do
        local added = sub:add(line.field, range, line.value)
        if line.text then added:set_text(line.text) end
        if line.field == f.message then added:add_proto_expert_info(ex.decode, line.value) end
        if line.field == f.call_type then words = words .. ", call type " .. line.value end
    end
    return "Record", words
end

---------------------------------------------------------------------------------------------
-- TCP: link frames

local tcp_stream = Field.new("tcp.stream")

local function stream_state(pinfo)
    local field = tcp_stream()
    local key = field and field.value or -1
    local state = streams[key]
    if not state then
        state = { pending = { [TOOL] = {}, [PBX] = {} } }
        streams[key] = state
    end
    return state
end

-- Which way a frame went: the PBX's side is port 60020, or the side that sends what only a
-- PBX sends; kind 6 goes both ways.
local function direction(pinfo, state, kind)
    if not state.pbx_port and not pinfo.visited then
        if pinfo.src_port == PBX_PORT or pinfo.dst_port == PBX_PORT then
            state.pbx_port = PBX_PORT
        elseif KIND_SENDER[kind] == TOOL then
            state.pbx_port = pinfo.dst_port
        elseif KIND_SENDER[kind] == PBX then
            state.pbx_port = pinfo.src_port
        end
    end
    if state.pbx_port then return pinfo.src_port == state.pbx_port and PBX or TOOL end
    return KIND_SENDER[kind]
end

-- What a frame that awaits an answer is, for the answer's line.
local function request_name(kind, found)
    if kind == "5" then return found.status end
    if kind == "6" then return "Link release" end
    if kind == "2" then return "Record" end
    return found.lamp and "Lamp control" or "Text"
end

-- The first pass matches answers to the frames they answer, by sequence number within the
-- direction: a response (kind 3) answers the tool's frame of kind 1, 5 or 6, a record answer
-- (kind 4) the PBX's record. A newer frame with the same number replaces an older one.
local function match(pinfo, state, found, dir, kind, seq)
    if dir == TOOL and kind == "5" then
        found.status = state.connect_seen and "Health check" or "Connect request"
        state.connect_seen = true
    end
    local asks = (dir == TOOL and (kind == "1" or kind == "5" or kind == "6")) or (dir == PBX and kind == "2")
    local answers = (dir == PBX and kind == "3") or (dir == TOOL and kind == "4")
    if asks then
        state.pending[dir][seq] = { found = found, number = pinfo.number, time = pinfo.rel_ts,
            name = request_name(kind, found) }
    elseif answers then
        local other = dir == TOOL and PBX or TOOL
        local request = state.pending[other][seq]
        if request then
            state.pending[other][seq] = nil
            found.response_to = request.number
            found.delta = pinfo.rel_ts - request.time
            found.answers = request.name
            request.found.response_in = pinfo.number
        else
            found.unmatched = true
        end
    end
end

local function frame_found(pinfo)
    local index = tonumber(pinfo.private.zkn_index or "0") + 1
    pinfo.private.zkn_index = tostring(index)
    local key = pinfo.number .. ":" .. index
    local found = frames[key]
    if not found then
        found = {}
        frames[key] = found
    end
    return found
end

local function add_header(tvb, root, body_end)
    -- A field that the check byte or the frame's end cuts short is shown as far as it goes.
    local function range(offset, width)
        if offset >= body_end then return nil end
        return tvb(offset, math.min(width, body_end - offset))
    end
    local kind_range, length_range = range(1, 1), range(2, 3)
    local device_range, seq_range = range(5, 2), range(7, 2)
    local kind = kind_range and kind_range:raw() or ""
    root:add(f.kind, kind_range or tvb(0, 0), kind)
    root:add(f.kind_name, kind_range or tvb(0, 0), KIND_NAMES[kind] or "Unknown")
    local length_text = length_range and length_range:raw() or ""
    local length_item = root:add(f.length, length_range or tvb(0, 0), leading_number(length_text))
    if not is_digits(length_text, 3) then length_item:add_proto_expert_info(ex.length) end
    local device = device_range and device_range:raw() or ""
    local seq = seq_range and seq_range:raw() or ""
    if device_range then root:add(f.device, device_range, device) end
    if seq_range then root:add(f.seq, seq_range, seq) end
    return kind, device, seq
end

local function add_check(tvb, root, last)
    local received = tvb(last, 1):uint()
    local expected = check_byte(tvb:raw(1, last - 1))
    local good = received == expected
    local item = root:add(f.check, tvb(last, 1))
    item:append_text(good and (" (good under " .. parity_name() .. " parity)")
        or string.format(" (bad under %s parity: 0x%02x expected)", parity_name(), expected))
    local good_item = root:add(f.check_good, tvb(last, 1), good)
    good_item:set_generated()
    if not good then
        root:add(f.check_expected, tvb(last, 1), expected):set_generated()
        item:add_proto_expert_info(ex.check)
    end
    return good
end

local function add_answer(tvb, root, found)
    if found.response_in then
        root:add(f.response_in, tvb(0, 0), found.response_in):set_generated()
    end
    if found.response_to then
        root:add(f.response_to, tvb(0, 0), found.response_to):set_generated()
        root:add(f.answer_time, tvb(0, 0), nstime(found.delta)):set_generated()
        root:add(f.answers, tvb(0, 0), found.answers):set_generated()
    elseif found.unmatched then
        root:add_proto_expert_info(ex.unmatched)
    end
end

-- The kind's own data; returns a name for a text frame and a few words for the Info column.
local function add_data(pinfo, root, kind, data_range, found)
    if kind == "3" or kind == "4" then
        if not data_range then return nil end
        local c = data_range:range(0, 1):raw()
        local code = tonumber(c) or 0
        if kind == "4" then
            root:add(f.answer_code, data_range:range(0, 1), code)
            return nil, ANSWER_CODES[code] or ("code " .. c)
        end
        local item = root:add(f.response_code, data_range:range(0, 1), code)
        item:append_text(" (" .. response_text(code) .. ")")
        if code == 2 or code == 4 then item:add_proto_expert_info(ex.refused) end
        return nil, response_text(code)
    end
    if kind ~= "1" and kind ~= "2" then return nil end
    local data = data_range and data_range:raw() or ""
    local at = data:find("\2", 1, true)
    if not at then
        root:add_proto_expert_info(ex.no_stx)
        return nil
    end
    local text_range = data_range:range(at - 1)
    local text = text_range:raw()
    if kind == "1" and not pinfo.visited then found.lamp = parse_lamp(text) ~= nil end
    return dissect_text(text_range, text, root, false)
end

local function dissect_frame(tvb, pinfo, tree)
    pinfo.cols.protocol = "ZKN"
    local length = tvb:len()
    local root = tree:add(zkn, tvb())
    if tvb(0, 1):uint() ~= SYN then
        root:append_text(", no frame")
        root:add(f.not_frame, tvb()):add_proto_expert_info(ex.not_frame)
        add_info(pinfo, "No frame")
        return length
    end
    local last = length - 1 -- the check byte
    local state = stream_state(pinfo)
    local dir = direction(pinfo, state, tvb:raw(1, 1))
    if dir then root:add(f.direction, tvb(0, 0), dir):set_generated() end
    local kind, device, seq = add_header(tvb, root, last)
    local found = frame_found(pinfo)
    local data_range = last > 9 and tvb(9, last - 9) or nil
    if data_range then root:add(f.data, data_range) end
    local text_name, words = add_data(pinfo, root, kind, data_range, found)
    if not pinfo.visited and dir then match(pinfo, state, found, dir, kind, tonumber(seq) or seq) end
    local good = last >= 1 and add_check(tvb, root, last)
    add_answer(tvb, root, found)
    if not KIND_NAMES[kind] then root:add_proto_expert_info(ex.kind) end

    local name = found.status or text_name or KIND_NAMES[kind] or ("Kind " .. kind)
    if found.answers and kind == "3" then name = name .. " to " .. found.answers end
    root:append_text(string.format(", %s, device %s, sequence %s", name, device, seq))
    add_info(pinfo, name .. " " .. seq .. (words and (": " .. words) or "") .. (good and "" or " [bad check byte]"))
    return length
end

-- Cuts the frames from the TCP payload one after another: n + 6 bytes each, or, where the
-- bytes do not start with SYN, everything up to the next SYN. A frame that goes on in later
-- segments is left to TCP to put together and given back whole.
function zkn.dissector(tvb, pinfo, tree)
    local total, offset = tvb:len(), 0
    while offset < total do
        local available, length = total - offset, nil
        if tvb(offset, 1):uint() ~= SYN then
            local next_syn = tvb:raw(offset):find("\22", 2, true)
            length = next_syn and next_syn - 1 or available
        elseif available < 5 then
            pinfo.desegment_offset, pinfo.desegment_len = offset, DESEGMENT_ONE_MORE_SEGMENT
            return total
        else
            length = leading_number(tvb(offset + 2, 3):raw()) + 6
            if length > available then
                pinfo.desegment_offset, pinfo.desegment_len = offset, length - available
                return total
            end
        end
        dissect_frame(tvb(offset, length):tvb(), pinfo, tree)
        offset = offset + length
    end
    return total
end

-- A TCP stream whose first bytes are a whole link frame: SYN, a kind digit, three length
-- digits that the kind allows and the bytes hold, device and sequence digits.
local function heuristic(tvb, pinfo, tree)
    if tvb:len() < 10 or tvb(0, 1):uint() ~= SYN then return false end
    local header = tvb:raw(1, 8)
    local kind, length = header:sub(1, 1), header:sub(2, 4)
    if not KIND_NAMES[kind] or not is_digits(length, 3) or not is_digits(header:sub(5, 8), 4) then
        return false
    end
    local n = tonumber(length)
    if n + 6 > tvb:len() then return false end
    if KIND_LENGTH[kind] then
        if n ~= KIND_LENGTH[kind] then return false end
    elseif n < 6 or tvb(9, 1):uint() ~= STX then
        return false
    end
    pinfo.conversation = zkn
    zkn.dissector(tvb, pinfo, tree)
    return true
end

DissectorTable.get("tcp.port"):add(PBX_PORT, zkn)
zkn:register_heuristic("tcp", heuristic)

---------------------------------------------------------------------------------------------
-- Serial line: direction byte, then the line's bytes. As the tool's receive path does, a text
-- runs from STX to the next ETX, whatever lies between, and may span packets.

-- Cuts a packet's bytes into pieces: { kind = "text" | "part" | "other", from, to, text }.
-- A text that ends here after starting earlier carries the whole text.
local function cut_serial(bytes, dir)
    local pieces, pos, begun = {}, 1, serial_rx[dir]
    serial_rx[dir] = nil
    if begun then
        local etx = bytes:find("\3", 1, true)
        if not etx then
            serial_rx[dir] = begun .. bytes
            return { { kind = "part", from = 1, to = #bytes } }
        end
        pieces[1] = { kind = "text", from = 1, to = etx, text = begun .. bytes:sub(1, etx) }
        pos = etx + 1
    end
    while pos <= #bytes do
        local stx = bytes:find("\2", pos, true)
        local stop = (stx or #bytes + 1) - 1
        if stop >= pos then pieces[#pieces + 1] = { kind = "other", from = pos, to = stop } end
        if not stx then break end
        local etx = bytes:find("\3", stx + 1, true)
        if not etx then
            serial_rx[dir] = bytes:sub(stx)
            pieces[#pieces + 1] = { kind = "part", from = stx, to = #bytes }
            break
        end
        pieces[#pieces + 1] = { kind = "text", from = stx, to = etx }
        pos = etx + 1
    end
    return pieces
end

local function info_words(name, words)
    return words and (name .. ": " .. words) or name
end

local function dissect_serial(tvb, pinfo, tree)
    pinfo.cols.protocol = "ZKN"
    local root = tree:add(zkn, tvb())
    if tvb:len() < 1 then return 0 end
    local dir = tvb(0, 1):uint()
    root:add(f.direction, tvb(0, 1))
    root:append_text(", serial, " .. (DIRECTIONS[dir] or "unknown direction"))
    local pieces = serial_cuts[pinfo.number]
    if not pieces then
        -- Only the first pass sees the packets in order; a text's beginning comes from there.
        local saved = serial_rx[dir]
        pieces = cut_serial(tvb:len() > 1 and tvb:raw(1) or "", dir)
        if pinfo.visited then serial_rx[dir] = saved else serial_cuts[pinfo.number] = pieces end
    end
    local words = {}
    for _, piece in ipairs(pieces) do
        local range = tvb(piece.from, piece.to - piece.from + 1)
        if piece.kind == "other" then
            root:add(f.other, range)
        elseif piece.kind == "part" then
            root:add(f.text_part, range):append_text(" (the text goes on in a later packet)")
        elseif piece.text then
            root:add(f.text_part, range):append_text(" (the end of a text begun in an earlier packet)")
            local whole = ByteArray.new(piece.text, true):tvb("Message text")
            words[#words + 1] = info_words(dissect_text(whole(), piece.text, root, true))
        else
            words[#words + 1] = info_words(dissect_text(range, range:raw(), root, true))
        end
    end
    -- The markers of the tool's terminal: "<-" sent by the tool, "->" received from the PBX.
    local marker = dir == TOOL and "<- " or dir == PBX and "-> " or "?? "
    pinfo.cols.info:set(marker .. (#words > 0 and table.concat(words, ", ") or "part of a text"))
    return tvb:len()
end

local zkn_serial = Proto("zkn_serial", "ZKN link on the serial line")
zkn_serial.dissector = dissect_serial
DissectorTable.get("wtap_encap"):add(wtap_encaps.USER0, zkn_serial)
