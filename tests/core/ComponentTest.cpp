#include "core/Component.h"

#include "core/Application.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace celdara {
namespace {

std::vector<std::string>* destroyed = nullptr;

class TProbe : public TComponent {
public:
    TProbe(TComponent* owner, std::string name) : TComponent(owner) { SetName(std::move(name)); }
    ~TProbe() override {
        if (destroyed)
            destroyed->push_back(Name());
    }
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == TOperation::opRemove)
            heard.push_back(component->Name());
    }
    void Loaded() override {
        TComponent::Loaded();
        loadedWhileLoading = true;
        loadOrder.push_back(Name());
    }
    std::vector<std::string> heard;
    bool loadedWhileLoading = false;
    static inline std::vector<std::string> loadOrder;
};

class ComponentTest : public ::testing::Test {
protected:
    void SetUp() override {
        destroyed = &log;
        TProbe::loadOrder.clear();
    }
    void TearDown() override { destroyed = nullptr; }
    std::vector<std::string> log;
};

TEST_F(ComponentTest, OwnerFreesWhatItOwnsLastCreatedFirst) {
    {
        TProbe form(nullptr, "form");
        new TProbe(&form, "a");
        auto* b = new TProbe(&form, "b");
        new TProbe(b, "b1");
        new TProbe(&form, "c");
        EXPECT_EQ(form.ComponentCount(), 3);
        EXPECT_EQ(form.FindComponent("b"), b);
        EXPECT_EQ(form.FindComponent("b1"), nullptr) << "not searched recursively";
    }
    EXPECT_EQ(log, (std::vector<std::string>{"form", "c", "b", "b1", "a"}));
}

TEST_F(ComponentTest, FreeingAnOwnedComponentTakesItOutOfItsOwner) {
    TProbe form(nullptr, "form");
    auto* a = new TProbe(&form, "a");
    new TProbe(&form, "b");
    delete a;
    ASSERT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(form.Components(0)->Name(), "b");
}

TEST_F(ComponentTest, RemovalReachesOwnerSiblingsAndFreeNotificationPartners) {
    TProbe form(nullptr, "form");
    auto* sibling = new TProbe(&form, "sibling");
    TProbe outsider(nullptr, "outsider");
    TProbe stranger(nullptr, "stranger");
    auto* doomed = new TProbe(&form, "doomed");
    doomed->FreeNotification(&outsider);
    delete doomed;
    EXPECT_EQ(form.heard, std::vector<std::string>{"doomed"});
    EXPECT_EQ(sibling->heard, std::vector<std::string>{"doomed"});
    EXPECT_EQ(outsider.heard, std::vector<std::string>{"doomed"});
    EXPECT_TRUE(stranger.heard.empty());
}

TEST_F(ComponentTest, FreeNotificationWorksBothWaysAndCanBeWithdrawn) {
    auto* a = new TProbe(nullptr, "a");
    auto* b = new TProbe(nullptr, "b");
    TProbe c(nullptr, "c");
    a->FreeNotification(b);
    a->FreeNotification(&c);
    a->RemoveFreeNotification(&c);
    delete b; // a hears of b; b's entry in a's list goes with it
    EXPECT_EQ(a->heard, std::vector<std::string>{"b"});
    delete a; // must not touch the freed b
    EXPECT_TRUE(c.heard.empty());
}

TEST_F(ComponentTest, EndLoadingRunsLoadedOnTheTreeOwnerFirst) {
    TProbe form(nullptr, "form");
    auto* a = new TProbe(&form, "a");
    new TProbe(a, "a1");
    new TProbe(&form, "b");
    form.BeginLoading();
    EXPECT_TRUE(form.IsLoading());
    EXPECT_TRUE(a->IsLoading());
    form.EndLoading();
    EXPECT_FALSE(form.IsLoading());
    EXPECT_FALSE(a->IsLoading());
    EXPECT_EQ(TProbe::loadOrder, (std::vector<std::string>{"form", "a", "a1", "b"}));
}

TEST(ApplicationTest, CreatesRegisteredClassesOwnedByTheGivenOwner) {
    TApplication app;
    EXPECT_EQ(app.CreateComponent("TThing", &app), nullptr);
    app.RegisterClass("TThing", [](TComponent* owner) { return new TComponent(owner); });
    TComponent form(nullptr);
    TComponent* made = app.CreateComponent("TThing", &form);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Owner(), &form);
    app.RegisterClass("TThing", nullptr);
    EXPECT_FALSE(app.IsClassRegistered("TThing"));
}

} // namespace
} // namespace celdara
