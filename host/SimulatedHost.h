// The simulated host: loads an effect plug-in and drives it the way a careful compositing host
// does, so that tests and the command line can run whole user sessions without the real host.
//
// Usage (a session as a test writes it):
//
//   SimulatedHost host;
//   std::string error;
//   host.LoadPlugin("build/effect/libtiletta.so", &error);  // checks ".pipl", opens, finds entry
//   InstanceId id = host.AddInstance(1920, 1080);           // global + parameter + sequence set-up
//   host.SetPopup(id, 1, 2 + 37);                           // the user picks a choice: stored, and
//                                                           // PF_Cmd_USER_CHANGED_PARAM is sent
//   host.Send(id, PF_Cmd_UPDATE_PARAMS_UI);                 // any command, with its extra block
//   const ParamStream& p = host.Stream(id, 5);              // value, keyframes, HIDDEN flag
//   std::vector<uint8_t> bytes = host.SequenceBytes(id);    // the instance's sequence data
//   host.SaveProject("/tmp/a.proj", &error);                // flatten every instance, write
//   SimulatedHost other; other.LoadPlugin(...); other.OpenProject("/tmp/a.proj", &error);
//   host.Suites().SetMissing("PF Handle Suite", 2, true);   // fault injection; also Handles()
//                                                           // .FailNew/.FailLock, Faults().Fail
//   host.Ui().Click(id, PF_Window_COMP, {40, 30});          // custom-UI events (HostUi.h)
//   host.ClearFaults();
//   host.Shutdown();                                        // set everything down
//   EXPECT_TRUE(host.Violations().empty());                 // invariants held after every command
//   EXPECT_TRUE(host.Handles().LiveHandles().empty());      // nothing leaked
//
// Worlds in the three pixel layouts are HostWorld (HostWorld.h); a project opened in a really
// fresh process: RunFreshProcess (FreshProcess.h).
//
// After every command the host checks its invariants (suites released, handles unlocked, AEGP
// handles disposed, parameter check-outs checked in, every instance with live sequence data after
// a successful command, no exception escaped) and records each breach in Violations().
// Values the effect marks PF_ChangeFlag_CHANGED_VALUE in `params` are stored after the command;
// for parameters with PF_ParamFlag_SUPERVISE whose value changed, PF_Cmd_USER_CHANGED_PARAM follows.
// Render commands may be sent on several threads at once (each thread's command is served on that
// thread); the other commands are sent one at a time from one thread. Flatten and re-set-up, which
// change the instance's sequence data, wait for its running renders and keep new ones waiting
// (SaveProject from the flatten to the re-set-up), as a host sends them only between renders. The host's suites have no
// reference to the host, so a host serves them only on the thread that runs its command; several
// hosts may live in one process.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/CallFaults.h"
#include "host/HandleTable.h"
#include "host/ParamStream.h"
#include "host/Pipl.h"
#include "host/PluginLibrary.h"
#include "host/SuiteTable.h"
#include "sdk/sdk.h"

namespace Orvane::Mosaira {

using InstanceId = int;
constexpr InstanceId kNoInstance = -1;

class HostUi;
struct Project;
struct ProjectStream;

namespace detail {
struct HostCallbacks;
}

// Time and resolution of the commands the host sends.
struct CommandContext {
  HostTime time;
  A_long timeStep = 1;
  PF_RationalScale downsampleX{1, 1};
  PF_RationalScale downsampleY{1, 1};
};

// Called around every command, on the thread that sends it (for instance to make the host's own
// OpenGL context current). Neither call may throw.
class CommandHook {
 public:
  virtual ~CommandHook() = default;
  virtual void BeforeCommand(PF_Cmd cmd) noexcept = 0;
  virtual void AfterCommand(PF_Cmd cmd) noexcept = 0;
};

struct CommandRecord {
  PF_Cmd cmd;
  InstanceId instance;
  PF_Err result;
  PF_ParamIndex paramIndex;  // USER_CHANGED_PARAM only, else -1
  PF_OutFlags outFlags;      // out_data->out_flags as the command left them
};

// What the plug-in asked the host to show its user: the return_msg a command left, shown as an
// error when it set PF_OutFlag_DISPLAY_ERROR_MESSAGE (then also without a text).
struct PluginMessage {
  PF_Cmd cmd;
  InstanceId instance;  // kNoInstance for the plug-in-wide commands
  std::string text;
  bool error;
};

// One effect instance on a layer.
struct HostInstance {
  InstanceId id = kNoInstance;
  A_long width = 0, height = 0;
  PF_Handle sequenceData = nullptr;
  std::vector<ParamStream> streams;  // index 0 is the input layer
  int checkouts = 0;                 // parameter check-outs not yet checked in
  // The most parameter check-outs out at once: during the command under way, and during the last
  // command that ended.
  int peakCheckouts = 0;
  int lastPeakCheckouts = 0;
  // Under the host's run lock: render commands in flight, and the thread that holds the instance
  // between renders (with its depth) and the threads waiting to.
  int renders = 0;
  std::thread::id holder;
  int holds = 0;
  int waitingHolds = 0;
};

class SimulatedHost {
 public:
  // Follow-up USER_CHANGED_PARAM commands caused by follow-ups stop at this depth.
  static constexpr int kMaxFollowUpDepth = 4;
  // Largest layer side the host accepts (also when reading projects).
  static constexpr A_long kMaxLayerSide = 30000;

  SimulatedHost();
  // Sets every instance down and the plug-in too, if the session did not.
  ~SimulatedHost();
  SimulatedHost(const SimulatedHost&) = delete;
  SimulatedHost& operator=(const SimulatedHost&) = delete;

  // --- Plug-in ---------------------------------------------------------------------------------
  // Reads and checks the property resource, opens the library and finds the entry point it names.
  bool LoadPlugin(const std::string& path, std::string* error);
  // Uses an entry point of this process (fake plug-ins in tests); no property resource.
  void UseEntryPoint(PF_EntryPointFunc entry);
  const PiplInfo& Pipl() const { return pipl_; }
  bool HasPlugin() const { return entry_ != nullptr; }

  // --- Global commands -------------------------------------------------------------------------
  PF_Err About(std::string* message);
  PF_Err GlobalSetup();
  PF_Err GlobalSetdown();
  bool IsGloballySetUp() const { return globallySetUp_; }
  PF_OutFlags GlobalOutFlags() const { return globalOutFlags_; }
  PF_OutFlags2 GlobalOutFlags2() const { return globalOutFlags2_; }
  A_u_long EffectVersion() const { return effectVersion_; }
  AEGP_PluginID RegisteredPluginId() const { return aegpPluginId_; }
  const std::string& RegisteredName() const { return aegpName_; }

  // --- Instances -------------------------------------------------------------------------------
  // Applies the effect to a layer of the given size (global and parameter set-up first when not
  // done). kNoInstance when a set-up fails; the error in *err.
  InstanceId AddInstance(A_long width, A_long height, PF_Err* err = nullptr);
  // Sends sequence set-down and forgets the instance.
  PF_Err RemoveInstance(InstanceId id);
  // A new instance from the flattened copy of `id`'s sequence data and a copy of its streams.
  InstanceId DuplicateInstance(InstanceId id, PF_Err* err = nullptr);
  std::vector<InstanceId> Instances() const;
  bool HasInstance(InstanceId id) const;
  // Throws std::out_of_range for an unknown instance (as do Stream and SequenceBytes).
  const HostInstance& Instance(InstanceId id) const;
  // The user resizes the instance's layer: later commands carry the new size. A side of 0 is an
  // empty layer (a text layer without text, say). False for an unknown instance or a size outside
  // 0..kMaxLayerSide.
  bool SetLayerSize(InstanceId id, A_long width, A_long height);
  // The instance's layer size as a command sent now would carry it (read under the lock that
  // SetLayerSize writes it under, so any thread may ask). Throws std::out_of_range for an unknown
  // instance.
  std::pair<A_long, A_long> LayerSize(InstanceId id) const;

  // --- Parameters ------------------------------------------------------------------------------
  // Definitions as the effect added them; index 0 is the host's input layer.
  int ParamCount() const { return int(definitions_.size()); }
  const PF_ParamDef& Definition(PF_ParamIndex index) const { return definitions_.at(size_t(index)); }
  // Throws std::out_of_range for an unknown instance or index.
  ParamStream& Stream(InstanceId id, PF_ParamIndex index);
  // A change made by the user at the current time: the value is stored and, when the parameter
  // has PF_ParamFlag_SUPERVISE, PF_Cmd_USER_CHANGED_PARAM is sent (its result returned).
  PF_Err SetParam(InstanceId id, PF_ParamIndex index, const PF_ParamDefUnion& value);
  PF_Err SetPopup(InstanceId id, PF_ParamIndex index, A_long choice);
  // A value that is not finite is refused (PF_Err_BAD_CALLBACK_PARAM), nothing stored.
  PF_Err SetFloat(InstanceId id, PF_ParamIndex index, double value);
  // Layer pixels, stored as 16.16 fixed point (rounded, clamped to the 16.16 range).
  PF_Err SetPointPx(InstanceId id, PF_ParamIndex index, double xPx, double yPx);

  // --- Commands --------------------------------------------------------------------------------
  // Sends one command to an instance with a fresh `params` array, then stores changed values,
  // sends the follow-ups and checks the invariants. The plug-in-wide commands (about, global
  // set-up and set-down, parameter set-up) go to the plug-in without the instance's data;
  // sequence set-down also forgets the instance.
  PF_Err Send(InstanceId id, PF_Cmd cmd, void* extra = nullptr, PF_LayerDef* output = nullptr);
  CommandContext& Context() { return context_; }
  // The output block of the command the calling thread's last call sent: for a user change, that
  // of PF_Cmd_USER_CHANGED_PARAM itself, not of the follow-ups or the UI update after it. (Per
  // thread: renders on other threads do not overwrite it.)
  PF_OutData LastOutData() const { return LastOfThisThread().out; }
  // The parameters the command the calling thread's last call sent marked
  // PF_ChangeFlag_CHANGED_VALUE (not those of the follow-ups), in index order.
  std::vector<PF_ParamIndex> LastChangedParams() const { return LastOfThisThread().changed; }
  const std::vector<CommandRecord>& Log() const { return log_; }
  // The messages of every command (follow-ups and renders on any thread included) since the last
  // call, oldest first, as a host puts them in front of its user; the list is then empty.
  std::vector<PluginMessage> TakeMessages();
  void SetCommandHook(CommandHook* hook) { hook_ = hook; }  // not owned; null to remove
  // Whether a user change is followed by PF_Cmd_UPDATE_PARAMS_UI when the effect asked for it with
  // PF_OutFlag_SEND_UPDATE_PARAMS_UI at global set-up (on by default, as the real host does).
  void SetSendUpdateParamsUi(bool on) { sendUpdateParamsUi_ = on; }
  // The bytes of the copy that the last PF_Cmd_GET_FLATTENED_SEQUENCE_DATA sent through Send()
  // handed out (the host disposes of the copy's handle itself).
  const std::vector<uint8_t>& LastFlattenedCopy() const { return lastFlattenedCopy_; }
  // The custom user-interface registration of parameter set-up, if any.
  const PF_CustomUIInfo* CustomUi() const { return customUiRegistered_ ? &customUi_ : nullptr; }

  // --- Sequence data ---------------------------------------------------------------------------
  PF_Handle SequenceHandle(InstanceId id) const { return SequenceDataOf(Instance(id)); }
  // A copy of the bytes of the instance's sequence-data handle (empty when it has none).
  std::vector<uint8_t> SequenceBytes(InstanceId id) const;

  // --- Projects --------------------------------------------------------------------------------
  // Flattens every instance, writes the bytes and the streams, and sets each instance up again.
  // False (nothing written over an existing file) when a flatten fails or the file cannot be written.
  bool SaveProject(const std::string& path, std::string* error);
  // Reads a project and re-sets up each instance at its layer size. False, with no instance
  // added, when the file is unreadable, damaged or made for another plug-in.
  bool OpenProject(const std::string& path, std::string* error);
  // The same for a project already read (ProjectFile.h), as a file's checks left it.
  bool OpenProject(const Project& project, std::string* error);

  // --- User interface --------------------------------------------------------------------------
  // Windows, custom-UI events, coordinate callbacks and Drawbot drawing (HostUi.h).
  HostUi& Ui() { return *ui_; }

  // --- State and faults ------------------------------------------------------------------------
  HandleTable& Handles() { return handles_; }
  SuiteTable& Suites() { return suites_; }
  CallFaults& Faults() { return faults_; }
  const std::vector<std::string>& Violations() const { return violations_; }
  void ClearViolations() { violations_.clear(); }
  size_t LiveAegpHandles() const { return aegpEffects_.size() + aegpStreams_.size(); }
  // Turns every injected fault off: suites present, allocations and locks succeed, callbacks answer.
  void ClearFaults();
  // One line per live handle (size, lock count, order of making): after Shutdown(), the leaks.
  std::vector<std::string> LeakReport() const;
  // Sets every instance down, then the plug-in; afterwards every live handle is a leak.
  void Shutdown() noexcept;

 private:
  friend struct detail::HostCallbacks;
  struct AegpStream {
    InstanceId instance;
    PF_ParamIndex index;
  };

  // One command as Run sends it.
  struct Call {
    PF_Cmd cmd;
    HostInstance* inst;
    void* extra;
    int depth;             // 0 for the caller's command, above for follow-ups
    PF_OutData* outCopy;   // receives the output block when not null
  };

  // Holds an instance between renders: waits until none of its renders runs and no other thread
  // holds it, then keeps its render commands from other threads waiting until released.
  class RenderGap {
   public:
    RenderGap(SimulatedHost* host, HostInstance* inst);
    ~RenderGap();
    RenderGap(const RenderGap&) = delete;
    RenderGap& operator=(const RenderGap&) = delete;

   private:
    SimulatedHost* host_;
    HostInstance* inst_;
  };

  PF_Err Run(PF_Cmd cmd, HostInstance* inst, void* extra, PF_LayerDef* output, int depth,
             PF_OutData* outCopy = nullptr);
  // Builds the command's blocks and `params` array; counts the command as in flight (a render
  // first waits while another thread holds the instance between renders).
  void Prepare(PF_Cmd cmd, HostInstance* inst, PF_InData* in, PF_OutData* out, std::vector<PF_ParamDef>* params);
  // The instance's sequence-data handle, read under the run lock (renders store it).
  PF_Handle SequenceDataOf(const HostInstance& inst) const;
  // Takes the results, checks, logs; returns the parameters whose change needs a follow-up.
  std::vector<PF_ParamIndex> Finish(const Call& call, const PF_OutData& out,
                                    const std::vector<PF_ParamDef>& params, PF_Err err, bool escaped);
  PF_InData MakeInData(HostInstance* inst);
  void TakeOutData(PF_Cmd cmd, HostInstance* inst, const PF_OutData& out, PF_Err err);
  std::vector<PF_ParamIndex> StoreChangedParams(HostInstance* inst,
                                                const std::vector<PF_ParamDef>& params);
  // Checks of one command's own result (sequence data, escaped exception).
  void CheckCommand(PF_Cmd cmd, HostInstance* inst, PF_Err err, bool escaped);
  // Checks of the shared books (suites, handles, AEGP handles, check-outs, misuse); run when no
  // other command is in flight.
  void CheckInvariants(PF_Cmd cmd, HostInstance* inst);
  void Violation(const std::string& text);
  PF_Err EnsureSetUp();
  PF_Err ParamsSetup();
  // Whether a value may be stored in a stream of definition `def` (from the effect or a project).
  static bool AcceptValue(const PF_ParamDef& def, const PF_ParamDefUnion& value, std::string* why);
  // Why a stream read from a project does not fit `def` (type, value, keyframe values); empty when it does.
  static std::string StreamDamage(const PF_ParamDef& def, const ProjectStream& stream);
  PF_Err UserChanged(HostInstance* inst, PF_ParamIndex index);
  HostInstance* NewInstance(A_long width, A_long height);
  HostInstance* Find(InstanceId id);
  HostInstance* FindByRef(PF_ProgPtr ref);
  void RegisterSuites();

  // Owned resources, declared so that the library is closed last.
  PluginLibrary library_;
  PiplInfo pipl_;
  bool hasPipl_ = false;
  PF_EntryPointFunc entry_ = nullptr;

  HandleTable handles_;
  SuiteTable suites_;
  CallFaults faults_;
  SPBasicSuite basic_{};
  PF_UtilCallbacks utils_{};

  bool globallySetUp_ = false;
  bool paramsSetUp_ = false;
  bool inParamsSetup_ = false;
  PF_Handle globalData_ = nullptr;
  PF_OutFlags globalOutFlags_ = 0;
  PF_OutFlags2 globalOutFlags2_ = 0;
  A_u_long effectVersion_ = 0;
  AEGP_PluginID aegpPluginId_ = 0;
  std::string aegpName_;
  std::vector<PF_ParamDef> definitions_;
  PF_CustomUIInfo customUi_{};
  bool customUiRegistered_ = false;

  HostInstance globalRef_;  // effect_ref of the commands without an instance
  // Added and removed on the user's thread, looked up on render threads too: under instancesMutex_,
  // taken after any other lock (only violationsMutex_ is taken while it is held).
  std::map<InstanceId, std::unique_ptr<HostInstance>> instances_;
  mutable std::mutex instancesMutex_;
  InstanceId nextId_ = 1;
  // AEGP handles are opaque tokens, never dereferenced, never reused.
  std::map<void*, InstanceId> aegpEffects_;
  std::map<void*, AegpStream> aegpStreams_;
  uintptr_t nextAegpToken_ = 1;
  mutable std::mutex mutex_;  // guards AEGP tokens, check-out counts and misuse from callbacks

  CommandContext context_;
  // What the last command sent by each thread left (under runMutex_).
  struct LastCommand {
    PF_OutData out{};
    std::vector<PF_ParamIndex> changed;
  };
  LastCommand LastOfThisThread() const;
  void SetLastOutOfThisThread(const PF_OutData& out);
  std::map<std::thread::id, LastCommand> last_;
  std::unique_ptr<HostUi> ui_;
  std::vector<CommandRecord> log_;
  std::vector<std::string> violations_;
  std::vector<std::string> pendingMisuse_;
  CommandHook* hook_ = nullptr;
  // Commands may run on several threads at once (renders): the host's own books are kept under
  // runMutex_, and the shared checks wait until no command is in flight.
  mutable std::mutex runMutex_;
  // Guards every stream's value, keyframes and flags: renders check parameters out while the user,
  // another command or the effect's own suite calls change them. Taken after runMutex_, never
  // before it.
  mutable std::mutex streamsMutex_;
  int activeCommands_ = 0;
  std::condition_variable renderGapChanged_;  // a render ended or a hold was released (runMutex_)
  std::mutex violationsMutex_;
  bool sendUpdateParamsUi_ = true;
  std::vector<uint8_t> lastFlattenedCopy_;
  void ShowMessage(PF_Cmd cmd, const HostInstance* inst, const PF_OutData& out);
  std::mutex messagesMutex_;
  std::vector<PluginMessage> messages_;
  std::vector<PF_Handle> reportedLocked_;
};

}  // namespace Orvane::Mosaira
